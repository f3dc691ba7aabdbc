// The drawing shortcuts (specialised model shaders, blending off for solid
// subsets, skipped invisible sprites) must not change a pixel: the title and
// both stages at fixed frames, drawn with --reference-shaders (the general
// shader, no shortcuts) and without, give identical images.
#include "HarnessFixture.h"

#include "tools/harness/HarnessOptions.h"

namespace {

struct Shot {
    std::string scene;  // harness options choosing the scene
    int frame;
    std::string name;
};

}  // namespace

TEST_F(HarnessRun, ShortcutsLeaveTheTitleAndBothStagesPixelForPixel) {
    // The title orbits its camera, so two frames see different parts of the
    // room (frame 100 looks through the glass cases).
    const std::vector<Shot> shots = {
        {"--frames 100", 30, "title30"},
        {"--frames 100", 100, "title100"},
        {"--stage 1 --frames 25", 25, "stage1"},
        {"--stage 2 --frames 25", 25, "stage2"},
    };
    for (const char* mode : {"reference", "shortcuts"}) {
        std::string extra = std::string(mode) == "reference" ? " --reference-shaders" : "";
        std::string previousScene;
        std::string args;
        auto run = [&] {
            if (args.empty()) return;
            ASSERT_EQ(Run("--no-render " + previousScene + extra + args), 0) << stderr_;
            args.clear();
        };
        for (const Shot& shot : shots) {
            if (shot.scene != previousScene) run();
            previousScene = shot.scene;
            args += " --shot " + std::to_string(shot.frame) + ":" + Quote(File(shot.name + "_" + mode + ".png"));
        }
        run();
    }
    for (const Shot& shot : shots) {
        SCOPED_TRACE(shot.name);
        int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        std::vector<uint8_t> reference = ReadPng(shot.name + "_reference.png", w1, h1);
        std::vector<uint8_t> shortcuts = ReadPng(shot.name + "_shortcuts.png", w2, h2);
        ASSERT_FALSE(reference.empty());
        ASSERT_EQ(w1, w2);
        ASSERT_EQ(h1, h2);
        ASSERT_EQ(reference.size(), shortcuts.size());
        size_t differing = 0;
        for (size_t i = 0; i < reference.size(); i += 3)
            differing += reference[i] != shortcuts[i] || reference[i + 1] != shortcuts[i + 1] ||
                         reference[i + 2] != shortcuts[i + 2];
        EXPECT_EQ(differing, 0u) << "pixels that differ";
    }
}

TEST(HarnessOptionsReference, ReferenceShadersIsASwitch) {
    HarnessOptions options;
    std::string error;
    ASSERT_TRUE(ParseHarnessOptions({"--frames", "3", "--reference-shaders", "--no-render"}, options, error)) << error;
    EXPECT_TRUE(options.referenceShaders);
    EXPECT_TRUE(options.noRender);
    ASSERT_TRUE(ParseHarnessOptions({"--frames", "3"}, options, error)) << error;
    EXPECT_FALSE(options.referenceShaders);
    EXPECT_FALSE(options.noRender);
}
