#include "framework/platform/FwInputRecorder.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "framework/platform/FwHeadlessPlatform.h"

namespace {

struct TokenKey {
    int vk;
    const char* name;
};

// The keys and buttons the game polls, in the order a line lists them.
// Escape is not among them: it closes the window before any scene sees it.
constexpr TokenKey kRecordedKeys[] = {
    {FwKey::W, "W"}, {FwKey::A, "A"}, {FwKey::S, "S"}, {FwKey::D, "D"}, {FwKey::Space, "SPACE"},
    {FwKey::R, "R"}, {FwKey::P, "P"}, {FwKey::LButton, "LMB"}, {FwKey::RButton, "RMB"},
};

constexpr const char* kSceneEventPrefix = "scene:";

void Append(std::string& tokens, const std::string& token) {
    if (!tokens.empty()) tokens += ' ';
    tokens += token;
}

}  // namespace

FwInputRecorder::FwInputRecorder() = default;

FwInputRecorder::FwInputRecorder(std::ostream& out) : out_(&out), fileName_("(stream)") {}

FwInputRecorder::~FwInputRecorder() { Finish(); }

bool FwInputRecorder::Open(const std::string& file, std::string& error) {
    auto stream = std::make_unique<std::ofstream>(file, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!*stream) {
        error = "cannot create the recording '" + file + "'";
        return false;
    }
    // The line of the span in progress is rewritten in place.
    if (stream->tellp() == std::streampos(-1)) {
        error = "the recording '" + file + "' is not a regular file";
        return false;
    }
    file_ = std::move(stream);
    out_ = file_.get();
    fileName_ = file;
    return true;
}

void FwInputRecorder::WriteComment(const std::string& text) {
    if (!out_ || finished_) return;
    CloseSpan();
    WriteLine("# " + text);
}

void FwInputRecorder::Start() {
    if (!out_ || started_ || finished_) return;
    started_ = true;
    WriteLine("# Recorded play: one line per span of identical frames, 'COUNT TOKENS'.");
    WriteLine("# Replay: gilded_vault_harness --input THIS_FILE --trace trace.jsonl");
    FwPlatform& platform = FwGetPlatform();
    if (!platform.IsCursorShown()) lastCursor_ = platform.GetCursorPos();
    previousSink_ = FwGetTraceSink();
    FwSetTraceSink([this, previous = previousSink_](const std::string& event) {
        if (previous) previous(event);
        AddEvent(event);
    });
}

std::string FwInputRecorder::FrameTokens() const {
    FwPlatform& platform = FwGetPlatform();
    std::string tokens;
    for (const TokenKey& key : kRecordedKeys)
        if (platform.IsKeyDown(key.vk)) Append(tokens, key.name);
    // The options screen's key, and the other letters and digits the player
    // may have bound an action to, after the usual ones.
    if (platform.IsKeyDown(FwKey::Tab)) Append(tokens, "TAB");
    for (int vk = '0'; vk <= 'Z'; ++vk) {
        if (!FwKey::IsLetterOrDigit(vk)) continue;
        const bool usual = std::any_of(std::begin(kRecordedKeys), std::end(kRecordedKeys),
                                       [vk](const TokenKey& key) { return key.vk == vk; });
        if (!usual && platform.IsKeyDown(vk)) Append(tokens, FwKeyName(vk));
    }
    if (!platform.IsGameWindowActive()) Append(tokens, "unfocused");
    if (platform.IsCursorShown()) {
        // The menus read the client pixel. Positions outside the client area
        // (a drag past the edge) are held at the edge: no button reaches it.
        FwPoint client = platform.ScreenToClient(platform.GetCursorPos());
        client.x = std::clamp(client.x, 0, kFwScriptClientWidth - 1);
        client.y = std::clamp(client.y, 0, kFwScriptClientHeight - 1);
        Append(tokens, "mouse:" + std::to_string(client.x) + "," + std::to_string(client.y));
    } else {
        // Mouse look reads the offset from where the cursor was left at the
        // end of the previous frame (the centre, after the player's warp).
        FwPoint cursor = platform.GetCursorPos();
        int dx = std::clamp(cursor.x - lastCursor_.x, -kFwScriptMaxLook, kFwScriptMaxLook);
        int dy = std::clamp(cursor.y - lastCursor_.y, -kFwScriptMaxLook, kFwScriptMaxLook);
        if (dx != 0 || dy != 0) Append(tokens, "look:" + std::to_string(dx) + "," + std::to_string(dy));
    }
    return tokens;
}

void FwInputRecorder::RecordFrame() {
    if (!started_ || finished_ || windowClosed_) return;
    FwPlatform& platform = FwGetPlatform();
    if (!platform.IsWindowAlive()) {
        // The harness closes its window on ESC in the same frame, before the
        // scene runs, as the real window does.
        windowClosed_ = true;
        CloseSpan();
        WriteLine("# frame " + std::to_string(frame_ + 1) + ": the window was closed");
        WriteLine("1 ESC");
        return;
    }
    ++frame_;
    std::string tokens = FrameTokens();
    if (openCount_ > 0 && tokens == openTokens_) {
        ++openCount_;
    } else {
        CloseSpan();
        openTokens_ = std::move(tokens);
        openCount_ = 1;
        openLineStart_ = out_->tellp();
    }
    WriteOpenLine();
}

void FwInputRecorder::EndFrame() {
    if (!started_ || finished_ || windowClosed_) return;
    // While the cursor is shown its position is recorded whole, and reading
    // it would only disturb the platform's notion of the last known position.
    FwPlatform& platform = FwGetPlatform();
    if (!platform.IsCursorShown()) lastCursor_ = platform.GetCursorPos();
}

void FwInputRecorder::AddEvent(const std::string& event) {
    if (!started_ || finished_ || event.rfind(kSceneEventPrefix, 0) != 0) return;
    CloseSpan();
    WriteLine("# frame " + std::to_string(frame_) + ": " + event);
}

void FwInputRecorder::Finish() {
    if (!out_ || finished_) return;
    finished_ = true;
    if (started_) FwSetTraceSink(previousSink_);
    previousSink_ = {};
    out_->flush();
    CheckStream();
    if (file_) {
        file_->close();
        CheckStream();
    }
}

void FwInputRecorder::WriteOpenLine() {
    std::string line = std::to_string(openCount_);
    if (!openTokens_.empty()) line += ' ' + openTokens_;
    // A longer count only ever lengthens the line, and it is the last one,
    // so nothing of the previous text is left behind.
    out_->seekp(openLineStart_);
    *out_ << line << '\n';
    out_->flush();
    CheckStream();
}

void FwInputRecorder::WriteLine(const std::string& text) {
    *out_ << text << '\n';
    out_->flush();
    CheckStream();
}

void FwInputRecorder::CheckStream() {
    if (failed_ || *out_) return;
    failed_ = true;
    std::fprintf(stderr, "recording: writing '%s' failed; the recording is incomplete\n", fileName_.c_str());
}
