// The player's settings and progress files: parsing, clamping, damaged files
// kept aside, atomic writes, the XDG locations. Every file lives in a scratch
// folder of the test's own; the player's files are never touched.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "framework/platform/FwKey.h"
#include "game/profile/Profile.h"
#include "game/profile/ProfileFiles.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

namespace {

class ProfileFolder : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dir_.empty()); }

    fs::path Path(const std::string& name) const { return dir_ / name; }
    void Write(const std::string& name, const std::string& text) const { std::ofstream(Path(name)) << text; }
    std::string Read(const std::string& name) const {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    size_t FileCount() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }

    TempDir temp_{"gv_profile"};
    const fs::path dir_ = temp_.path;
};

Settings Parsed(const std::string& text) {
    Settings settings;
    std::string error;
    EXPECT_TRUE(ParseSettings(text, settings, error)) << text << ": " << error;
    return settings;
}

}  // namespace

TEST(SettingsText, ClampsFillsDefaultsAndIgnoresUnknownMembers) {
    EXPECT_EQ(Parsed("{}"), Settings{});
    const Settings s = Parsed(R"({"version": 1, "mouseSensitivity": 9, "invertLook": true, "musicVolume": -20,
        "effectsVolume": 55.4, "renderScale": 0.1, "controllerLookSpeed": 1e300, "futureOption": [1, 2],
        "keys": {"jump": "j", "walkForward": "UP", "laterAction": 3}})");
    EXPECT_FLOAT_EQ(s.mouseSensitivity, 4.0f);
    EXPECT_TRUE(s.invertLook);
    EXPECT_EQ(s.musicVolume, 0);
    EXPECT_EQ(s.effectsVolume, 55);
    EXPECT_FALSE(s.fullscreen);  // missing: the default
    EXPECT_FLOAT_EQ(s.renderScale, 0.25f);
    EXPECT_FLOAT_EQ(s.controllerLookSpeed, 4.0f);
    EXPECT_EQ(s.Key(InputAction::Jump), 'J');
    EXPECT_EQ(s.Key(InputAction::WalkForward), FwKey::W);  // a name this game does not know

    // NaN (only a program can make one) becomes the default; the text reads
    // back as exactly what was written.
    Settings odd;
    odd.mouseSensitivity = std::nanf("");
    odd.renderScale = 0.3f;
    odd.renderScaleAuto = true;
    odd.keys[static_cast<size_t>(InputAction::StopPull)] = '7';
    odd = ClampSettings(odd);
    EXPECT_FLOAT_EQ(odd.mouseSensitivity, 1.0f);
    EXPECT_EQ(Parsed(SettingsToText(odd)), odd);
    EXPECT_NE(SettingsToText(odd).find("\"renderScale\": 0.3,"), std::string::npos) << SettingsToText(odd);
}

TEST(SettingsText, RefusesDamagedTextAndOtherVersions) {
    for (const char* text : {"", "{", "[1]", "42", "{\"version\": 2}", "{\"version\": \"1\"}",
                             "{\"musicVolume\": \"loud\"}", "{\"fullscreen\": 1}", "{\"keys\": [\"W\"]}",
                             "{\"keys\": {\"jump\": 32}}", "{\"renderScale\": null}",
                             "{\"renderScaleAuto\": \"yes\"}"}) {
        Settings settings;
        std::string error;
        EXPECT_FALSE(ParseSettings(text, settings, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST(SettingsKeys, RebindingRefusesReservedAndTakenKeys) {
    const Settings s;
    std::string reason;
    EXPECT_TRUE(CheckRebind(s, InputAction::Jump, 'J', reason));
    EXPECT_TRUE(CheckRebind(s, InputAction::Jump, FwKey::Space, reason));  // its own key
    EXPECT_FALSE(CheckRebind(s, InputAction::Jump, FwKey::Escape, reason));
    EXPECT_NE(reason.find("Escape"), std::string::npos) << reason;
    EXPECT_FALSE(CheckRebind(s, InputAction::Jump, FwKey::LButton, reason));
    EXPECT_FALSE(CheckRebind(s, InputAction::Jump, 0x7A, reason));  // F11: fullscreen
    EXPECT_EQ(reason, "F11 is reserved for fullscreen");
    EXPECT_FALSE(CheckRebind(s, InputAction::Jump, FwKey::Tab, reason));
    EXPECT_EQ(reason, "Tab is reserved for the options");
    EXPECT_FALSE(CheckRebind(s, InputAction::Jump, 0x70, reason));  // a code without a name (F1's)
    EXPECT_EQ(reason, "this key cannot be bound");
    EXPECT_FALSE(CheckRebind(s, InputAction::Jump, FwKey::W, reason));
    EXPECT_EQ(reason, "W is already bound to walkForward");

    // A file with clashing bindings: the clashing actions take their
    // defaults, and when those clash too, every key does.
    Settings swapped = Parsed(R"({"keys": {"walkForward": "S", "walkBack": "W", "jump": "ESC"}})");
    EXPECT_EQ(swapped.Key(InputAction::WalkForward), FwKey::S);
    EXPECT_EQ(swapped.Key(InputAction::Jump), FwKey::Space);
    Settings clash = Parsed(R"({"keys": {"walkForward": "S", "walkBack": "W", "jump": "S"}})");
    EXPECT_EQ(clash.keys, Settings::DefaultKeys());
    Settings pair = Parsed(R"({"keys": {"jump": "Q", "stopPull": "Q"}})");
    EXPECT_EQ(pair.keys, Settings::DefaultKeys());
}

TEST_F(ProfileFolder, DamagedFilesAreKeptAsBadAndNeverOverwritten) {
    Write("settings.json", "{\"musicVolume\": 50,");
    Write("progress.json", "{\"version\": 7}");
    testing::internal::CaptureStderr();
    {
        Profile profile(Path("settings.json"), Path("progress.json"));
        EXPECT_EQ(profile.Current(), Settings{});
        EXPECT_TRUE(profile.CurrentProgress().stages.empty());
    }
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("settings file " + Path("settings.json").string() + " is damaged (not valid JSON)"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("progress file " + Path("progress.json").string() + " is damaged (unknown version 7)"),
              std::string::npos)
        << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
    EXPECT_EQ(Read("settings.json.bad"), "{\"musicVolume\": 50,");
    EXPECT_FALSE(fs::exists(Path("settings.json")));

    // Damaged again: the first .bad stays as it was, the new one gets a
    // number and the message says why.
    Write("settings.json", "[]");
    testing::internal::CaptureStderr();
    Profile again(Path("settings.json"), Path("progress.json"));
    err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Read("settings.json.bad"), "{\"musicVolume\": 50,");
    EXPECT_EQ(Read("settings.json.bad.1"), "[]");
    EXPECT_NE(err.find("kept as " + Path("settings.json.bad.1").string() + " (settings.json.bad already exists)"),
              std::string::npos)
        << err;
}

TEST_F(ProfileFolder, WrittenOnlyOnChangeAndOverridesStayOutOfIt) {
    auto profile = Profile::InFolder(dir_ / "new");
    profile->OverrideForThisRun({.fullscreen = true, .renderScale = 0.5f, .renderScaleAuto = true});
    EXPECT_TRUE(profile->Current().renderScaleAuto);
    EXPECT_TRUE(profile->Current().fullscreen);
    EXPECT_FLOAT_EQ(profile->Current().renderScale, 0.5f);
    EXPECT_TRUE(profile->Change([](Settings& s) { s.mouseSensitivity = 1.0f; }));  // no change
    EXPECT_FALSE(fs::exists(dir_ / "new"));

    EXPECT_TRUE(profile->Change([](Settings& s) { s.musicVolume = 140; }));
    EXPECT_EQ(profile->Current().musicVolume, 100);  // clamped: still no change
    EXPECT_FALSE(fs::exists(dir_ / "new"));
    EXPECT_TRUE(profile->Change([](Settings& s) { s.musicVolume = 40; }));
    std::string reason;
    EXPECT_FALSE(profile->Rebind(InputAction::Jump, FwKey::W, reason));
    EXPECT_TRUE(profile->Rebind(InputAction::Jump, 'J', reason)) << reason;

    const Profile reread(dir_ / "new" / "settings.json", {});
    EXPECT_EQ(reread.Current().musicVolume, 40);
    EXPECT_EQ(reread.Current().Key(InputAction::Jump), 'J');
    EXPECT_FALSE(reread.Current().fullscreen);  // the override was never written
    EXPECT_FLOAT_EQ(reread.Current().renderScale, 1.0f);
    EXPECT_FALSE(reread.Current().renderScaleAuto);
    EXPECT_TRUE(profile->Current().fullscreen);  // and still holds for this run

    // Changing an overridden setting ends its override: the choice is saved.
    EXPECT_TRUE(profile->Change([](Settings& s) { s.renderScale = 0.75f; }));
    EXPECT_FLOAT_EQ(Profile(dir_ / "new" / "settings.json", {}).Current().renderScale, 0.75f);
}

// A crash between writing the temporary file and renaming it: the old file
// is still there, whole.
TEST_F(ProfileFolder, CrashBeforeTheRenameLeavesTheOldFileWhole) {
    const std::string oldText = SettingsToText(Settings{});
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(Path("settings.json"), oldText, error)) << error;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SetAtomicWriteHookForTests([] { ::_exit(42); });
        std::string childError;
        WriteFileAtomically(Path("settings.json"), std::string(100000, 'x'), childError);
        ::_exit(0);  // the hook did not run
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 42);
    EXPECT_EQ(Read("settings.json"), oldText);
    EXPECT_EQ(FileCount(), 2u);  // and the hidden, complete temporary file
    for (const auto& entry : fs::directory_iterator(dir_)) {
        if (entry.path().filename() != "settings.json") {
            EXPECT_EQ(fs::file_size(entry), 100000u);
        }
    }

    // Without the crash the new content replaces the old, no new file left over.
    ASSERT_TRUE(WriteFileAtomically(Path("settings.json"), "{}", error)) << error;
    EXPECT_EQ(Read("settings.json"), "{}");
    EXPECT_EQ(FileCount(), 2u);

    // A link (a dotfiles folder) stays a link; the file it names is replaced.
    fs::create_directory(Path("dotfiles"));
    fs::create_symlink("dotfiles/progress.json", Path("progress.json"));
    ASSERT_TRUE(WriteFileAtomically(Path("progress.json"), "{}", error)) << error;
    ASSERT_TRUE(WriteFileAtomically(Path("progress.json"), "[]", error)) << error;
    EXPECT_TRUE(fs::is_symlink(Path("progress.json")));
    EXPECT_EQ(Read("dotfiles/progress.json"), "[]");
}

TEST_F(ProfileFolder, WriteErrorsAreReportedOnceAndPlayGoesOn) {
    Profile profile(Path("blocked/settings.json"), Path("blocked/progress.json"));
    Write("blocked", "a file where the folder should be");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(profile.Change([](Settings& s) { s.invertLook = true; }));
    EXPECT_FALSE(profile.Change([](Settings& s) { s.effectsVolume = 10; }));
    EXPECT_TRUE(profile.RecordClear(1, 600));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(profile.Current().invertLook);
    EXPECT_EQ(profile.Current().effectsVolume, 10);
    EXPECT_EQ(profile.CurrentProgress().BestFrames(1), 600u);
    EXPECT_NE(profile.LastWriteError().find("cannot create the folder"), std::string::npos);
    EXPECT_NE(err.find("cannot save the settings: "), std::string::npos) << err;
    EXPECT_NE(err.find("cannot save the progress: "), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
}

TEST(PlayerFiles, FollowXdgVariablesElseHome) {
    ScopedEnv home("HOME", "/home/player");
    {
        ScopedEnv config("XDG_CONFIG_HOME", "/cfg");
        ScopedEnv data("XDG_DATA_HOME", "/data");
        EXPECT_EQ(Profile::SettingsFileForPlayer(), "/cfg/gilded-vault/settings.json");
        EXPECT_EQ(Profile::ProgressFileForPlayer(), "/data/gilded-vault/progress.json");
    }
    for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
        ScopedEnv config("XDG_CONFIG_HOME", unusable);
        ScopedEnv data("XDG_DATA_HOME", unusable);
        EXPECT_EQ(Profile::SettingsFileForPlayer(), "/home/player/.config/gilded-vault/settings.json");
        EXPECT_EQ(Profile::ProgressFileForPlayer(), "/home/player/.local/share/gilded-vault/progress.json");
    }
    ScopedEnv noHome("HOME", nullptr);
    ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    EXPECT_TRUE(Profile::SettingsFileForPlayer().empty());
}

TEST_F(ProfileFolder, ProgressKeepsBestTimesAndOffersTheNextStage) {
    {
        auto profile = Profile::InFolder(dir_);
        EXPECT_EQ(profile->CurrentProgress().OfferedStages(3), (std::vector<int>{1}));
        EXPECT_TRUE(profile->RecordClear(1, 4000));
        EXPECT_FALSE(profile->RecordClear(1, 4500));
        EXPECT_TRUE(profile->RecordClear(1, 3723));
        EXPECT_FALSE(profile->RecordClear(0, 10));  // no such stage: nothing recorded
        EXPECT_TRUE(profile->RecordClear(3, 9000));
    }
    const Profile reread(Path("settings.json"), Path("progress.json"));
    EXPECT_FALSE(fs::exists(Path("settings.json")));
    const Progress& progress = reread.CurrentProgress();
    EXPECT_EQ(progress.BestFrames(1), 3723u);
    EXPECT_EQ(progress.BestFrames(2), std::nullopt);
    EXPECT_FALSE(progress.IsCleared(2));
    EXPECT_EQ(progress.OfferedStages(5), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(progress.OfferedStages(2), (std::vector<int>{1, 2}));
    EXPECT_EQ(progress.OfferedStages(0), (std::vector<int>{}));

    Progress all;
    for (int stage = 1; stage <= 4; ++stage) all.RecordClear(stage, 60);
    EXPECT_EQ(all.OfferedStages(4), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(all.OfferedStages(6), (std::vector<int>{1, 2, 3, 4, 5}));

    Progress parsed;
    std::string error;
    EXPECT_TRUE(ParseProgress(R"({"stages": {"2": {"bestFrames": 100}, "x": 1, "0": {}}, "extra": 1})", parsed, error));
    EXPECT_TRUE(parsed.IsCleared(2));
    EXPECT_EQ(parsed.stages.size(), 1u);
    for (const char* bad : {R"({"stages": []})", R"({"stages": {"1": {"bestFrames": -5}}})",
                            R"({"stages": {"1": {"cleared": "yes"}}})", R"({"stages": {"1": 7}})"})
        EXPECT_FALSE(ParseProgress(bad, parsed, error)) << bad;
}

TEST(ClearTime, FormatsFramesAsMinutesSecondsHundredths) {
    EXPECT_EQ(FormatClearTime(3723), "1:02.05");
    EXPECT_EQ(FormatClearTime(0), "0:00.00");
    EXPECT_EQ(FormatClearTime(59), "0:00.98");
    EXPECT_EQ(FormatClearTime(60 * 60 * 75 + 30), "75:00.50");
    EXPECT_EQ(FormatClearTime(UINT64_MAX), "5124095576030431:00.25");
}
