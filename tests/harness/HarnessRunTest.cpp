// End-to-end runs of gilded_vault_harness: the real application loop and
// scenes on the headless platform, checked through the trace and screenshots.
// Runs that look at no pixel use --no-render, which keeps the trace the same.
#include "HarnessFixture.h"

TEST_F(HarnessRun, TitleFadesInAndAClickStartsStageOneAfterTheLeaveAnimation) {
    std::string script = WriteScript("# click in frame 5\n4\n1 LMB\n");
    ASSERT_EQ(Run("--no-render --frames 50 --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl"))), 0)
        << stderr_;
    std::vector<nlohmann::json> frames = ReadTrace();
    ASSERT_EQ(frames.size(), 50u);
    for (size_t i = 0; i < frames.size(); ++i) ASSERT_EQ(frames[i].at("frame"), i + 1);

    EXPECT_TRUE(HasEvent(frames[0], "scene:title"));
    EXPECT_EQ(frames[0].at("scene"), "title");
    EXPECT_FALSE(frames[0].contains("stage"));
    EXPECT_NEAR(frames[0].at("fade").get<double>(), 0.95, 1e-6);
    EXPECT_NEAR(frames[18].at("fade").get<double>(), 0.05, 1e-6);
    EXPECT_EQ(frames[19].at("fade").get<double>(), 0.0);

    // Clicked in frame 5: 20 squash frames (the last also the first of the
    // 20 fade-out frames), the game scene requested in frame 43 and current
    // from frame 44.
    int firstGameFrame = 0;
    for (const auto& frame : frames) {
        if (HasEvent(frame, "scene:game:1")) {
            EXPECT_EQ(firstGameFrame, 0) << "entered twice";
            firstGameFrame = frame.at("frame").get<int>();
        }
    }
    EXPECT_EQ(firstGameFrame, 44);
    EXPECT_EQ(frames[42].at("scene"), "title");
    EXPECT_NEAR(frames[42].at("fade").get<double>(), 1.0, 1e-6);
    EXPECT_EQ(frames[43].at("scene"), "game");
    EXPECT_EQ(frames[43].at("stage"), 1);
    EXPECT_EQ(frames[49].at("scene"), "game");
}

TEST_F(HarnessRun, ScreenshotOfTheTitleIsAFullSizeImage) {
    std::string shot = File("title.png");
    // Only the shot frame is drawn; the title's image depends on nothing earlier.
    ASSERT_EQ(Run("--no-render --frames 60 --shot 60:" + Quote(shot)), 0) << stderr_;
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load(shot.c_str(), &width, &height, &channels, 3);
    ASSERT_NE(pixels, nullptr) << "no readable PNG at " << shot;
    EXPECT_EQ(width, 1280);
    EXPECT_EQ(height, 720);
    std::set<uint32_t> colours;
    for (int i = 0; i < width * height && colours.size() < 16; i += 97) {
        const stbi_uc* p = pixels + i * 3;
        colours.insert(p[0] << 16 | p[1] << 8 | p[2]);
    }
    stbi_image_free(pixels);
    EXPECT_GE(colours.size(), 16u) << "the title should not be one flat colour";
}

TEST_F(HarnessRun, EscapeEndsTheRunCleanlyInItsFrame) {
    std::string script = WriteScript("3\n1 ESC\n");
    ASSERT_EQ(Run("--no-render --frames 100 --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl"))), 0)
        << stderr_;
    // The frame in which Escape arrives does no scene work and is not traced.
    EXPECT_EQ(ReadTrace().size(), 3u);
}

TEST_F(HarnessRun, WithoutFramesTheRunLastsAsLongAsTheScript) {
    std::string script = WriteScript("7\n2 W\n");
    ASSERT_EQ(Run("--no-render --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    EXPECT_EQ(ReadTrace().size(), 9u);
}

TEST_F(HarnessRun, StageOptionTakesEveryStageTheContentHolds) {
    ASSERT_EQ(Run("--no-render --frames 2 --stage 2 --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    std::vector<nlohmann::json> frames = ReadTrace();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_TRUE(HasEvent(frames[0], "scene:game:2"));
    EXPECT_EQ(frames[0].at("scene"), "game");
    EXPECT_EQ(frames[0].at("stage"), 2);
    EXPECT_TRUE(HasEvent(frames[0], "sound:play:GameBGM.wav")) << "no music of its own: the shared one";
    // the last stage of Data/, with its own music
    ASSERT_EQ(Run("--no-render --frames 2 --stage 3 --trace " + Quote(File("trace.jsonl"))), 0) << stderr_;
    frames = ReadTrace();
    EXPECT_TRUE(HasEvent(frames[0], "scene:game:3"));
    EXPECT_TRUE(HasEvent(frames[0], "sound:play:GameBGM_3.wav"));
    // one past it is refused before anything starts, naming the stages there are
    EXPECT_EQ(Run("--no-render --frames 2 --stage 4"), 2);
    EXPECT_NE(stderr_.find("there is no stage 4; the content in Data/ holds stages 1 to 3"), std::string::npos)
        << stderr_;
}

TEST_F(HarnessRun, BadInputIsRefusedWithAClearMessage) {
    std::string script = WriteScript("2 W\n1 FLY\n");
    EXPECT_EQ(Run("--input " + Quote(script)), 2);
    EXPECT_NE(stderr_.find("line 2: unknown token 'FLY'"), std::string::npos) << stderr_;

    EXPECT_EQ(Run("--input " + Quote(File("missing.txt"))), 2);
    EXPECT_NE(stderr_.find("cannot open input script"), std::string::npos) << stderr_;

    EXPECT_EQ(Run("--frames 5 --bogus"), 2);
    EXPECT_NE(stderr_.find("unknown option '--bogus'"), std::string::npos) << stderr_;

    EXPECT_EQ(Run("--frames 5 --shot 6:" + Quote(File("late.png"))), 2);
    EXPECT_NE(stderr_.find("after the last frame"), std::string::npos) << stderr_;
}

TEST_F(HarnessRun, AShotMissedBecauseOfEscapeIsAFailure) {
    std::string script = WriteScript("1 ESC\n");
    EXPECT_EQ(Run("--no-render --frames 10 --input " + Quote(script) + " --shot 5:" + Quote(File("x.png"))), 1);
    EXPECT_NE(stderr_.find("not taken"), std::string::npos) << stderr_;
    EXPECT_FALSE(fs::exists(File("x.png")));
}
