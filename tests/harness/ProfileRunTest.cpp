// --profile: the harness reads the settings only from the folder it is given,
// and without it reads and writes no settings or progress file at all, not
// even in the places the game uses.
#include "HarnessFixture.h"
#include "tests/support/ScopedEnv.h"

TEST_F(HarnessRun, ProfileFolderIsTheOnlyPlaceSettingsComeFrom) {
    for (const char* folder : {"home", "config/gilded-vault", "data", "cache", "profile"})
        fs::create_directories(File(folder));
    ScopedEnv home("HOME", File("home"));
    ScopedEnv config("XDG_CONFIG_HOME", File("config"));
    ScopedEnv data("XDG_DATA_HOME", File("data"));
    // The GL driver keeps its shader cache here; it is not the game's.
    ScopedEnv cache("XDG_CACHE_HOME", File("cache"));
    // Settings the game would read: the harness must not.
    const std::string settings = "{\"version\": 1, \"renderScale\": 0.5}";
    std::ofstream(File("config/gilded-vault/settings.json")) << settings;
    const std::string run = "--no-render --stage 1 --frames 20 --shot 20:";

    ASSERT_EQ(Run(run + Quote(File("default.png"))), 0) << stderr_;
    EXPECT_TRUE(fs::is_empty(File("home")));
    EXPECT_TRUE(fs::is_empty(File("data")));
    EXPECT_EQ(std::distance(fs::directory_iterator(File("config/gilded-vault")), {}), 1);
    EXPECT_EQ(ReadText("config/gilded-vault/settings.json"), settings);

    // The profile's render scale applies as --render-scale would, and a run
    // that changes nothing writes nothing.
    std::ofstream(File("profile/settings.json")) << settings;
    ASSERT_EQ(Run(run + Quote(File("profile.png")) + " --profile " + Quote(File("profile"))), 0) << stderr_;
    ASSERT_EQ(Run(run + Quote(File("half.png")) + " --render-scale 0.5"), 0) << stderr_;
    EXPECT_EQ(ReadText("profile/settings.json"), settings);
    EXPECT_EQ(std::distance(fs::directory_iterator(File("profile")), {}), 1);

    int w = 0, h = 0;
    const std::vector<uint8_t> fromProfile = ReadPng("profile.png", w, h);
    ASSERT_FALSE(fromProfile.empty());
    EXPECT_TRUE(fromProfile == ReadPng("half.png", w, h));
    EXPECT_FALSE(fromProfile == ReadPng("default.png", w, h));  // the run without --profile read nothing

    // A profile whose render scale is automatic draws at full scale here, so
    // runs stay reproducible; only --render-scale auto would measure frames.
    fs::create_directories(File("auto"));
    std::ofstream(File("auto/settings.json")) << "{\"version\": 1, \"renderScale\": 0.5, \"renderScaleAuto\": true}";
    ASSERT_EQ(Run(run + Quote(File("auto.png")) + " --profile " + Quote(File("auto"))), 0) << stderr_;
    EXPECT_TRUE(ReadPng("auto.png", w, h) == ReadPng("default.png", w, h));
}

// With stages 1 and 2 cleared the title offers 1 to 3 as buttons (one row,
// centres 100 pixels apart at y -95: client pixels 540, 640 and 740 at 455);
// a click on a button starts its stage, a click beside them stage 1.
TEST_F(HarnessRun, TitleOffersClearedStagesAndStartsTheOneClicked) {
    fs::create_directories(File("profile"));
    const std::string progress =
        R"({"version": 1, "stages": {"1": {"cleared": true, "bestFrames": 900}, "2": {"cleared": true}}})";
    std::ofstream(File("profile/progress.json")) << progress;
    const std::string run =
        "--no-render --profile " + Quote(File("profile")) + " --trace " + Quote(File("trace.jsonl"));
    for (const auto& [click, stage] : {std::pair{"740,455", 3}, std::pair{"640,600", 1}}) {
        const std::string at = std::string(" mouse:") + click;
        const std::string script = WriteScript("25\n2" + at + "\n1" + at + " LMB\n45\n");
        ASSERT_EQ(Run(run + " --input " + Quote(script)), 0) << stderr_;
        const std::vector<nlohmann::json> frames = ReadTrace();
        ASSERT_FALSE(frames.empty());
        EXPECT_EQ(frames.front().at("stages"), nlohmann::json::array({1, 2, 3}));
        int started = 0;
        for (const nlohmann::json& frame : frames)
            for (int n = 1; n <= 3; ++n)
                if (HasEvent(frame, "scene:game:" + std::to_string(n))) started = started * 10 + n;
        EXPECT_EQ(started, stage) << "click at " << click;
    }
    EXPECT_EQ(ReadText("profile/progress.json"), progress) << "starting a stage writes nothing";
}
