// Stage 2's foyer windows show the laser fence beyond them: the beams are
// drawn before the glass, so the glass's depth never hides them.
#include "HarnessFixture.h"

namespace {
// Beam red, unlike anything else above the foyer floor in these views.
size_t BeamPixels(const std::vector<uint8_t>& rgb, int width, int x0, int x1, int y0, int y1) {
    size_t n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            n += p[0] >= 150 && p[0] - p[1] >= 50 && p[0] - p[2] >= 50;
        }
    return n;
}
}  // namespace

TEST_F(HarnessRun, TheLaserFenceShowsThroughBothFoyerWindows) {
    // From the start walk to (10, 3, 30), looking north through the east
    // window; then to (-10, 3, 30), looking through the west one.
    const std::string script = WriteScript("100 W\n33 D\n30\n67 A\n30\n");
    ASSERT_EQ(Run("--no-render --stage 2 --input " + Quote(script) + " --trace " + Quote(File("trace.jsonl")) +
                  " --shot 163:" + Quote(File("east.png")) + " --shot 260:" + Quote(File("west.png"))),
              0)
        << stderr_;
    const std::vector<nlohmann::json> frames = ReadTrace();
    ASSERT_GE(frames.size(), 260u);
    for (int frame : {163, 260}) {
        EXPECT_TRUE(frames[frame - 1].at("lasers").at(0).at("active").get<bool>()) << "the fence is live, frame " << frame;
        EXPECT_NEAR(frames[frame - 1].at("player").at("pos").at(2).get<double>(), 30.0, 0.1);
    }

    // The window fills the middle of the view above the floor's horizon.
    int w = 0, h = 0;
    const std::vector<uint8_t> east = ReadPng("east.png", w, h);
    ASSERT_EQ(east.size(), 1280u * 720u * 3u);
    EXPECT_GT(BeamPixels(east, w, 310, 690, 100, 340), 1000u) << "no beam behind the east window";
    const std::vector<uint8_t> west = ReadPng("west.png", w, h);
    ASSERT_EQ(west.size(), 1280u * 720u * 3u);
    EXPECT_GT(BeamPixels(west, w, 590, 970, 100, 340), 1000u) << "no beam behind the west window";
}
