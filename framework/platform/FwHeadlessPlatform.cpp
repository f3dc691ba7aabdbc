#include "framework/platform/FwHeadlessPlatform.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <sstream>

#include "framework/audio/FwAudioDevice.h"
#include "framework/platform/FwEglContext.h"

namespace {

struct TokenKey {
    const char* name;
    int vk;
};

constexpr TokenKey kTokenKeys[] = {
    {"W", FwKey::W},   {"A", FwKey::A},   {"S", FwKey::S},   {"D", FwKey::D},
    {"R", FwKey::R},   {"P", FwKey::P},   {"SPACE", FwKey::Space},
    {"ESC", FwKey::Escape},     {"LMB", FwKey::LButton},
    {"RMB", FwKey::RButton},
};

// Largest COUNT accepted: about 200 days of frames, far beyond any run, and
// small enough that frame arithmetic never overflows.
constexpr uint32_t kMaxSpanFrames = 1000000000u;

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+') ++first;  // from_chars takes '-' but not '+'
    auto [end, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && end == last && first != last;
}

bool ParseCount(const std::string& text, uint32_t& count, std::string& reason) {
    bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    unsigned long long value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (!digits || ec != std::errc() || end != text.data() + text.size()) {
        reason = "frame count '" + text + "' is not a positive integer";
        return false;
    }
    if (value == 0 || value > kMaxSpanFrames) {
        reason = "frame count " + text + " is out of range (1.." + std::to_string(kMaxSpanFrames) + ")";
        return false;
    }
    count = static_cast<uint32_t>(value);
    return true;
}

// "look:DX,DY" -> adds (DX, DY) to look.
bool ParseLook(const std::string& token, FwPoint& look, std::string& reason) {
    std::string args = token.substr(5);
    size_t comma = args.find(',');
    int dx = 0, dy = 0;
    if (comma == std::string::npos || !ParseInt(args.substr(0, comma), dx) || !ParseInt(args.substr(comma + 1), dy) ||
        dx < -kFwScriptMaxLook || dx > kFwScriptMaxLook || dy < -kFwScriptMaxLook || dy > kFwScriptMaxLook) {
        reason = "bad look token '" + token + "' (expected look:DX,DY with integers within +-" +
                 std::to_string(kFwScriptMaxLook) + ")";
        return false;
    }
    look.x += dx;
    look.y += dy;
    return true;
}

// "mouse:X,Y" -> the client pixel the cursor is placed at.
bool ParseMouse(const std::string& token, FwInputSpan& span, std::string& reason) {
    if (span.mouse) {
        reason = "more than one mouse token on the line";
        return false;
    }
    std::string args = token.substr(6);
    size_t comma = args.find(',');
    int x = 0, y = 0;
    if (comma == std::string::npos || !ParseInt(args.substr(0, comma), x) || !ParseInt(args.substr(comma + 1), y) ||
        x < 0 || x >= kFwScriptClientWidth || y < 0 || y >= kFwScriptClientHeight) {
        reason = "bad mouse token '" + token + "' (expected mouse:X,Y with X in 0.." +
                 std::to_string(kFwScriptClientWidth - 1) + " and Y in 0.." + std::to_string(kFwScriptClientHeight - 1) +
                 ")";
        return false;
    }
    span.mouse = FwPoint{x, y};
    return true;
}

bool ParseToken(const std::string& token, FwInputSpan& span, std::string& reason) {
    if (token.size() >= 5 && Upper(token.substr(0, 5)) == "LOOK:") return ParseLook(token, span.look, reason);
    if (token.size() >= 6 && Upper(token.substr(0, 6)) == "MOUSE:") return ParseMouse(token, span, reason);
    std::string name = Upper(token);
    if (name == "UNFOCUSED") {
        span.unfocused = true;
        return true;
    }
    for (const TokenKey& key : kTokenKeys) {
        if (name == key.name) {
            if (std::find(span.keys.begin(), span.keys.end(), key.vk) == span.keys.end()) span.keys.push_back(key.vk);
            return true;
        }
    }
    // Any other key the game names (another letter or digit for a key bound
    // in the options, TAB for the options screen itself).
    if (std::optional<int> vk = FwKeyFromName(name)) {
        if (std::find(span.keys.begin(), span.keys.end(), *vk) == span.keys.end()) span.keys.push_back(*vk);
        return true;
    }
    reason = "unknown token '" + token +
             "' (expected W A S D SPACE R P ESC LMB RMB, another letter or digit, TAB, F11, UNFOCUSED, look:DX,DY or "
             "mouse:X,Y)";
    return false;
}

// One non-blank line without its comment.
bool ParseLine(const std::string& line, FwInputSpan& span, std::string& reason) {
    std::istringstream words(line);
    std::string word;
    words >> word;
    if (!ParseCount(word, span.frames, reason)) return false;
    bool looks = false;
    while (words >> word) {
        if (!ParseToken(word, span, reason)) return false;
        if (Upper(word.substr(0, 5)) == "LOOK:") looks = true;
    }
    // A placed cursor and a motion in the same frames would leave it unclear
    // where the cursor ends up.
    if (looks && span.mouse) {
        reason = "mouse:X,Y and look:DX,DY cannot share a line";
        return false;
    }
    return true;
}

}  // namespace

bool FwParseInputScript(std::istream& in, std::vector<FwInputSpan>& spans, std::string& error) {
    spans.clear();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        size_t hash = line.find('#');
        if (hash != std::string::npos) line.erase(hash);
        if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
        FwInputSpan span;
        std::string reason;
        if (!ParseLine(line, span, reason)) {
            error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
        spans.push_back(std::move(span));
    }
    if (in.bad()) {
        error = "read error";
        return false;
    }
    return true;
}

FwHeadlessPlatform::FwHeadlessPlatform(uint32_t startTimeMs) : clockMs_(startTimeMs) {
    cursor_ = ClientToScreen({640, 360});
}

FwHeadlessPlatform::~FwHeadlessPlatform() { DestroyGameWindow(); }

void FwHeadlessPlatform::SetScript(std::vector<FwInputSpan> spans) {
    script_ = std::move(spans);
    spanIndex_ = 0;
    spanFirstFrame_ = frame_ + 1;
    held_ = nullptr;
}

uint64_t FwHeadlessPlatform::ScriptFrames() const {
    uint64_t total = 0;
    for (const FwInputSpan& span : script_) total += span.frames;
    return total;
}

bool FwHeadlessPlatform::CreateGameWindow(int width, int height, const std::string& caption) {
    if (alive_) return true;
    std::string error;
    if (!FwCreateHeadlessGLContext(width, height, error)) {
        std::fprintf(stderr, "headless OpenGL context: %s\n", error.c_str());
        return false;
    }
    ownsContext_ = true;
    alive_ = true;
    return true;
}

const FwInputSpan* FwHeadlessPlatform::SpanForFrame(uint64_t frame) {
    while (spanIndex_ < script_.size() && frame >= spanFirstFrame_ + script_[spanIndex_].frames) {
        spanFirstFrame_ += script_[spanIndex_].frames;
        ++spanIndex_;
    }
    if (spanIndex_ >= script_.size() || frame < spanFirstFrame_) return nullptr;
    return &script_[spanIndex_];
}

void FwHeadlessPlatform::ProcessMessages() {
    ++frame_;
    held_ = SpanForFrame(frame_);
    if (!held_) return;
    // A placed cursor stays where it was put after its line, like a real one.
    if (held_->mouse) cursor_ = ClientToScreen(*held_->mouse);
    cursor_.x += held_->look.x;
    cursor_.y += held_->look.y;
    // Escape closes the window like the real one's key press does.
    if (IsKeyDown(FwKey::Escape)) alive_ = false;
}

void FwHeadlessPlatform::DestroyGameWindow() {
    alive_ = false;
    if (ownsContext_) {
        FwDestroyHeadlessGLContext();
        ownsContext_ = false;
    }
}

bool FwHeadlessPlatform::IsKeyDown(int vk) const {
    return held_ && std::find(held_->keys.begin(), held_->keys.end(), vk) != held_->keys.end();
}

FwPoint FwHeadlessPlatform::ScreenToClient(FwPoint p) const {
    return {p.x - kWindowOrigin.x, p.y - kWindowOrigin.y};
}

FwPoint FwHeadlessPlatform::ClientToScreen(FwPoint p) const {
    return {p.x + kWindowOrigin.x, p.y + kWindowOrigin.y};
}

void FwHeadlessPlatform::MessageBox(const std::string& text, const std::string& caption, FwMessageIcon icon) {
    if (icon == FwMessageIcon::Error) ++errorBoxes_;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

std::unique_ptr<FwAudioDevice> FwHeadlessPlatform::OpenAudioDevice() {
    return FwCreateVirtualAudioDevice([this] { return clockMs_; });
}
