// The player's profile: the settings and the progress, each kept in a file
// of its own (settings.json, progress.json) or only in memory.
//
// The game opens the files in the XDG locations (ForPlayer) or in the
// folder --profile names (InFolder); the harness opens a folder only with
// --profile, and tests hand in folders of their own, so neither ever touches
// the player's files. The program entry makes its profile the active one;
// game code reads it through Profile::Active(), which without one is a
// profile in memory (defaults, nothing read or written).
//
// The rules every file follows:
// - missing: the defaults, and nothing is written until something changes;
// - damaged (not JSON, wrong types, an unknown version, not a regular file):
//   the defaults, one line on standard error, the file renamed to NAME.bad
//   (or NAME.bad.1, ... when that exists);
// - unreadable (permissions): the defaults, one line, and the file is not
//   replaced this run;
// - written only when its content changes, atomically (WriteFileAtomically);
//   the first failed write is reported in one line and the game goes on
//   with the values in memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "game/profile/Progress.h"
#include "game/profile/Settings.h"

// Command-line options that win over settings.json for one run.
struct SettingsOverrides {
    std::optional<bool> fullscreen;  // --fullscreen
    std::optional<float> renderScale;  // --render-scale F
    std::optional<bool> renderScaleAuto;  // --render-scale auto (true) or F (false)
};

class Profile {
public:
    // In memory only: defaults, nothing read or written.
    Profile();
    // Reads both files now (see the rules above). An empty path keeps that
    // part in memory only.
    Profile(std::filesystem::path settingsFile, std::filesystem::path progressFile);
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;

    // --profile DIR: DIR/settings.json and DIR/progress.json.
    static std::unique_ptr<Profile> InFolder(const std::filesystem::path& folder);
    // The game without --profile: SettingsFileForPlayer(), ProgressFileForPlayer().
    static std::unique_ptr<Profile> ForPlayer();

    // $XDG_CONFIG_HOME/gilded-vault/settings.json; an unset, empty or
    // relative XDG_CONFIG_HOME means $HOME/.config. Empty when there is no
    // usable HOME either.
    static std::filesystem::path SettingsFileForPlayer();
    // $XDG_DATA_HOME/gilded-vault/progress.json, by default under
    // $HOME/.local/share; empty as above.
    static std::filesystem::path ProgressFileForPlayer();

    // The profile game code reads and changes. Never null: without
    // SetActive (or after SetActive(nullptr)) an in-memory profile.
    static Profile& Active();
    // Program entry, before the application runs; the caller owns profile
    // and clears it (SetActive(nullptr)) before destroying it.
    static void SetActive(Profile* profile);

    const std::filesystem::path& SettingsFile() const { return settingsFile_.path; }
    const std::filesystem::path& ProgressFile() const { return progressFile_.path; }

    // ---- settings ----
    // The settings in effect: the file's, with this run's overrides.
    const Settings& Current() const { return current_; }
    // Program entry: command-line options that win for this run. They are
    // never written; one lasts until the player changes that setting.
    void OverrideForThisRun(const SettingsOverrides& overrides);
    // The options screen: mutator changes a copy of Current(); the result is
    // clamped (ClampSettings), becomes current and, when the file's content
    // changes, is written. False when writing failed (reported on standard
    // error the first time, the reason in LastWriteError()); the change
    // still holds for this run.
    bool Change(const std::function<void(Settings&)>& mutator);
    // Binds action to key when CheckRebind allows it and saves as Change
    // does. False with the reason to show when the key is refused; true when
    // the binding was made (reason then holds the write error if saving
    // failed, else is left as it was).
    bool Rebind(InputAction action, int key, std::string& reason);

    // ---- progress ----
    const Progress& CurrentProgress() const { return progress_; }
    // A clear of stage in frames: saved at once when it changes the file.
    // Returns whether it is a new best time for the stage.
    bool RecordClear(int stage, uint64_t frames);

    // The reason of the last failed write of either file (empty: none).
    const std::string& LastWriteError() const { return lastWriteError_; }

private:
    struct KeptFile {
        std::filesystem::path path;  // empty: memory only
        const char* what = "";       // "settings" or "progress", for messages
        bool writable = true;        // false after a file that could not be read or moved aside
        bool writeReported = false;
    };
    template <typename T>
    static T Load(KeptFile& file, bool (*parse)(std::string_view, T&, std::string&));
    bool Save(KeptFile& file, const std::string& text);

    KeptFile settingsFile_;
    KeptFile progressFile_;
    Settings stored_;   // as in the file
    Settings current_;  // stored_ with the overrides
    SettingsOverrides overrides_;
    Progress progress_;
    std::string lastWriteError_;
};
