#include "game/profile/Profile.h"

#include <cstdio>
#include <cstdlib>

#include "game/profile/ProfileFiles.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolderName = "gilded-vault";
constexpr const char* kSettingsName = "settings.json";
constexpr const char* kProgressName = "progress.json";

Profile* g_active = nullptr;

// An XDG base folder: the variable when it holds an absolute path (the XDG
// rule: relative values are invalid and ignored), else HOME/fallback.
fs::path XdgBase(const char* variable, const char* underHome) {
    if (const char* value = std::getenv(variable); value && *value && fs::path(value).is_absolute()) return value;
    if (const char* home = std::getenv("HOME"); home && *home && fs::path(home).is_absolute())
        return fs::path(home) / underHome;
    return {};
}

}  // namespace

Profile::Profile() {
    settingsFile_.what = "settings";
    progressFile_.what = "progress";
}

Profile::Profile(fs::path settingsFile, fs::path progressFile) : Profile() {
    settingsFile_.path = std::move(settingsFile);
    progressFile_.path = std::move(progressFile);
    stored_ = current_ = Load<Settings>(settingsFile_, ParseSettings);
    progress_ = Load<Progress>(progressFile_, ParseProgress);
}

std::unique_ptr<Profile> Profile::InFolder(const fs::path& folder) {
    return std::make_unique<Profile>(folder / kSettingsName, folder / kProgressName);
}

std::unique_ptr<Profile> Profile::ForPlayer() {
    fs::path settings = SettingsFileForPlayer();
    fs::path progress = ProgressFileForPlayer();
    if (settings.empty() || progress.empty())
        std::fputs("no HOME folder: settings and progress are kept only until the game quits\n", stderr);
    return std::make_unique<Profile>(std::move(settings), std::move(progress));
}

fs::path Profile::SettingsFileForPlayer() {
    fs::path base = XdgBase("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base / kFolderName / kSettingsName;
}

fs::path Profile::ProgressFileForPlayer() {
    fs::path base = XdgBase("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base / kFolderName / kProgressName;
}

Profile& Profile::Active() {
    static Profile inMemory;
    return g_active ? *g_active : inMemory;
}

void Profile::SetActive(Profile* profile) { g_active = profile; }

template <typename T>
T Profile::Load(KeptFile& file, bool (*parse)(std::string_view, T&, std::string&)) {
    T value{};
    if (file.path.empty()) return value;
    std::string text, error;
    const ProfileRead read = ReadProfileFile(file.path, text, error);
    if (read == ProfileRead::Missing) return value;
    if (read == ProfileRead::Unreadable) {
        // Not known to be damaged: the player's file is left alone, so
        // nothing may replace it this run.
        file.writable = false;
        std::fprintf(stderr, "%s file %s cannot be read: %s; using the defaults and not saving to it this run\n",
                     file.what, file.path.c_str(), error.c_str());
        return value;
    }
    if (read == ProfileRead::Read && parse(text, value, error)) return value;

    value = T{};
    std::string moveError;
    const fs::path kept = MoveDamagedFileAside(file.path, moveError);
    std::string where;
    if (kept.empty()) {
        file.writable = false;
        where = "it could not be moved aside (" + moveError + ") and is not saved to this run";
    } else {
        fs::path first = file.path;
        first += ".bad";
        where = "kept as " + kept.string();
        if (kept != first) where += " (" + first.filename().string() + " already exists)";
    }
    for (char& c : error)  // one line, whatever the parser said
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "%s file %s is damaged (%s): using the defaults; %s\n", file.what, file.path.c_str(),
                 error.c_str(), where.c_str());
    return value;
}

bool Profile::Save(KeptFile& file, const std::string& text) {
    if (file.path.empty() || !file.writable) return true;
    std::string error;
    if (WriteFileAtomically(file.path, text, error)) return true;
    lastWriteError_ = error;
    if (!file.writeReported) {
        file.writeReported = true;
        std::fprintf(stderr, "cannot save the %s: %s; the game goes on, changes last until it quits\n", file.what,
                     error.c_str());
    }
    return false;
}

void Profile::OverrideForThisRun(const SettingsOverrides& overrides) {
    overrides_ = overrides;
    current_ = stored_;
    if (overrides_.fullscreen) current_.fullscreen = *overrides_.fullscreen;
    if (overrides_.renderScale) current_.renderScale = *overrides_.renderScale;
    if (overrides_.renderScaleAuto) current_.renderScaleAuto = *overrides_.renderScaleAuto;
    current_ = ClampSettings(current_);
}

bool Profile::Change(const std::function<void(Settings&)>& mutator) {
    Settings changed = current_;
    mutator(changed);
    changed = ClampSettings(changed);
    // A setting overridden from the command line keeps the file's value
    // unless the player changed it now; then the player's choice wins and
    // the override ends.
    Settings toStore = changed;
    if (overrides_.fullscreen) {
        if (changed.fullscreen == current_.fullscreen)
            toStore.fullscreen = stored_.fullscreen;
        else
            overrides_.fullscreen.reset();
    }
    if (overrides_.renderScale) {
        if (changed.renderScale == current_.renderScale)
            toStore.renderScale = stored_.renderScale;
        else
            overrides_.renderScale.reset();
    }
    if (overrides_.renderScaleAuto) {
        if (changed.renderScaleAuto == current_.renderScaleAuto)
            toStore.renderScaleAuto = stored_.renderScaleAuto;
        else
            overrides_.renderScaleAuto.reset();
    }
    current_ = changed;
    if (toStore == stored_) return true;
    stored_ = toStore;
    return Save(settingsFile_, SettingsToText(stored_));
}

bool Profile::Rebind(InputAction action, int key, std::string& reason) {
    if (!CheckRebind(current_, action, key, reason)) return false;
    if (!Change([&](Settings& s) { s.keys[static_cast<size_t>(action)] = key; })) reason = lastWriteError_;
    return true;
}

bool Profile::RecordClear(int stage, uint64_t frames) {
    const Progress before = progress_;
    const bool newBest = progress_.RecordClear(stage, frames);
    if (!(progress_ == before)) Save(progressFile_, ProgressToText(progress_));
    return newBest;
}
