// --render-scale: the harness draws the 3D scene at a lower resolution and
// scales it up; the trace does not change (but for the settings it names),
// the screenshot stays full size.
#include "HarnessFixture.h"

#include "tools/harness/HarnessOptions.h"

TEST_F(HarnessRun, RenderScaleDrawsTheSceneSmallerAndKeepsTheTrace) {
    ASSERT_EQ(Run("--no-render --stage 1 --frames 20 --trace " + Quote(File("trace.jsonl")) + " --shot 20:" +
                  Quote(File("full.png"))),
              0)
        << stderr_;
    std::vector<nlohmann::json> fullTrace = ReadTrace();
    ASSERT_EQ(Run("--no-render --render-scale 0.5 --stage 1 --frames 20 --trace " + Quote(File("trace.jsonl")) +
                  " --shot 20:" + Quote(File("half.png"))),
              0)
        << stderr_;
    std::vector<nlohmann::json> halfTrace = ReadTrace();
    ASSERT_EQ(halfTrace.size(), fullTrace.size());
    for (size_t i = 0; i < halfTrace.size(); ++i) {
        EXPECT_EQ(fullTrace[i].at("settings").at("renderScale"), 1.0);
        EXPECT_EQ(halfTrace[i].at("settings").at("renderScale"), 0.5) << "the render scale in use";
        fullTrace[i].erase("settings");
        halfTrace[i].erase("settings");
        EXPECT_EQ(halfTrace[i], fullTrace[i]) << "frame " << i + 1;
    }

    int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
    std::vector<uint8_t> full = ReadPng("full.png", w1, h1);
    std::vector<uint8_t> half = ReadPng("half.png", w2, h2);
    ASSERT_FALSE(half.empty());
    EXPECT_EQ(w2, 1280);
    EXPECT_EQ(h2, 720);
    ASSERT_EQ(full.size(), half.size());
    // The same view, drawn coarser: most pixels differ a little, none of the
    // picture is lost (the mean colour stays within a few levels).
    size_t differing = 0;
    double fullSum = 0, halfSum = 0;
    for (size_t i = 0; i < full.size(); ++i) {
        differing += full[i] != half[i];
        fullSum += full[i];
        halfSum += half[i];
    }
    EXPECT_GT(differing, full.size() / 20);
    EXPECT_NEAR(halfSum / half.size(), fullSum / full.size(), 4.0);
}

TEST(HarnessOptionsRenderScale, AcceptsAQuarterToOne) {
    HarnessOptions options;
    std::string error;
    ASSERT_TRUE(ParseHarnessOptions({"--frames", "3", "--render-scale", "0.5"}, options, error)) << error;
    EXPECT_FLOAT_EQ(options.renderScale, 0.5f);
    ASSERT_TRUE(ParseHarnessOptions({"--frames", "3"}, options, error)) << error;
    EXPECT_FLOAT_EQ(options.renderScale, 1.0f);
    EXPECT_FALSE(options.renderScaleAuto);
    ASSERT_TRUE(ParseHarnessOptions({"--frames", "3", "--render-scale", "auto"}, options, error)) << error;
    EXPECT_TRUE(options.renderScaleAuto && options.renderScaleGiven);
    for (const char* bad : {"0.2", "1.5", "half", "", "0.5x", "nan"}) {
        EXPECT_FALSE(ParseHarnessOptions({"--frames", "3", "--render-scale", bad}, options, error)) << bad;
        EXPECT_NE(error.find("--render-scale"), std::string::npos) << error;
    }
}
