// The first stage's operation guide: its pages, fades and the lessons'
// order, driven with the inputs the game scene hands it each frame.
#include "game/player/OperationGuide.h"
#include "tests/stageobjects/StageObjectsSupport.h"

namespace {
constexpr float kPlayerRadius = 0.5f;

// What the game scene reads from the player and the hook gun in one frame.
struct Inputs {
    Vector3 player{0.0f, 3.0f, 7.5f};
    bool boxInLine = false;
    int hookedBox = -1;
    Vector3 firstBox{0.0f, 2.5f, 60.0f};
    bool attached = false;
    bool pulled = false;
};

struct OperationGuideTest : StageObjectTest {
    Inputs in;
    std::vector<int> pages;  // the page after every update
    void Run(OperationGuide& guide, int frames) {
        for (int i = 0; i < frames; ++i) {
            guide.Update(in.player, kPlayerRadius, in.boxInLine, in.hookedBox, in.firstBox, in.attached, in.pulled);
            if (pages.empty() || pages.back() != guide.GetPage()) pages.push_back(guide.GetPage());
        }
    }
    // Runs until the page changes (at most `limit` frames); the frames taken.
    int RunUntilPageChanges(OperationGuide& guide, int limit = 50) {
        const int page = guide.GetPage();
        for (int i = 1; i <= limit; ++i) {
            Run(guide, 1);
            if (guide.GetPage() != page) return i;
        }
        return -1;
    }
};
}  // namespace

TEST_F(OperationGuideTest, StandingAtTheStartKeepsThePlayerGuideThenLeavingFadesItOut) {
    OperationGuide guide(true);
    in.player = Vector3(0.0f, 0.0f, 7.5f);
    for (int i = 0; i < 3000; ++i) {
        in.attached = (i / 100) % 2 == 1;  // shooting about does not matter
        in.boxInLine = (i / 50) % 2 == 1;
        Run(guide, 1);
        ASSERT_EQ(guide.GetPage(), OperationGuide::kPlayerGuide);
        ASSERT_EQ(guide.GetAlpha(), 1.0f);
    }
    in = Inputs{};
    in.player = Vector3(30.4f, 0.0f, 7.5f);  // still overlapping the start area
    Run(guide, 100);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kPlayerGuide);
    EXPECT_EQ(guide.GetAlpha(), 1.0f);

    in.player = Vector3(30.5f, 0.0f, 7.5f);
    for (int k = 1; k <= 9; ++k) {
        Run(guide, 1);
        ASSERT_EQ(guide.GetPage(), OperationGuide::kPlayerGuide) << k;
        EXPECT_NEAR(guide.GetAlpha(), 1.0f - 0.1f * k, 1e-5f) << k;
    }
    Run(guide, 1);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    EXPECT_EQ(guide.GetAlpha(), 0.0f);
    // Coming back to the start does not bring the player guide back.
    in.player = Vector3(0.0f, 0.0f, 7.5f);
    Run(guide, 30);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    EXPECT_EQ(guide.GetAlpha(), 0.0f);
}

TEST_F(OperationGuideTest, LessonsRunInOrderAndLettingGoReturnsToTheHookGuide) {
    OperationGuide guide(true);
    Run(guide, 5);
    in.player = Vector3(0.0f, 3.0f, 40.0f);  // left the start, 20 from the first box
    EXPECT_EQ(RunUntilPageChanges(guide), 10);

    // The hook guide shows only while the gun points the hook at the box
    // from near it.
    Run(guide, 20);
    EXPECT_EQ(guide.GetAlpha(), 0.0f);
    in.boxInLine = true;
    Run(guide, 3);
    EXPECT_NEAR(guide.GetAlpha(), 0.3f, 1e-5f);
    in.player = Vector3(0.0f, 3.0f, 25.0f);  // 35 away: too far for the lesson
    Run(guide, 1);
    EXPECT_NEAR(guide.GetAlpha(), 0.2f, 1e-5f);
    in.player = Vector3(0.0f, 3.0f, 40.0f);
    Run(guide, 20);
    EXPECT_EQ(guide.GetAlpha(), 1.0f);

    // Hooking the box fades the hook guide out and brings the box-move guide.
    in.attached = true;
    in.hookedBox = 0;
    EXPECT_EQ(RunUntilPageChanges(guide), 10);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kBoxMoveGuide);
    EXPECT_EQ(guide.GetAlpha(), 0.0f);
    Run(guide, 15);
    EXPECT_EQ(guide.GetAlpha(), 1.0f);

    // Let go with the right button: the gun forgets the box; back to the
    // hook guide with the box lesson still pending.
    in.attached = false;
    in.hookedBox = -1;
    in.boxInLine = false;
    EXPECT_EQ(RunUntilPageChanges(guide), 10);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    EXPECT_TRUE(guide.IsBoxLessonPending());
    // At the pull spot the pending box lesson keeps the hook guide dark.
    in.player = Vector3(-29.0f, 3.0f, 70.0f);
    in.attached = true;
    Run(guide, 30);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    EXPECT_EQ(guide.GetAlpha(), 0.0f);

    // Hook the box again and reel it in: the box lesson is done.
    in.player = Vector3(0.0f, 3.0f, 40.0f);
    in.attached = false;
    in.boxInLine = true;
    Run(guide, 10);
    in.attached = true;
    in.hookedBox = 0;
    RunUntilPageChanges(guide);
    ASSERT_EQ(guide.GetPage(), OperationGuide::kBoxMoveGuide);
    Run(guide, 10);
    in.attached = false;  // reeling, the box comes along
    EXPECT_EQ(RunUntilPageChanges(guide), 10);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    EXPECT_FALSE(guide.IsBoxLessonPending());

    // Now the hook guide belongs to the pull spot.
    in.boxInLine = false;
    in.hookedBox = -1;
    Run(guide, 20);
    EXPECT_EQ(guide.GetAlpha(), 0.0f) << "away from the pull spot";
    in.player = Vector3(-29.0f, 3.0f, 60.0f);  // 16.8 from the spot
    Run(guide, 20);
    EXPECT_EQ(guide.GetAlpha(), 1.0f);
    in.attached = true;
    EXPECT_EQ(RunUntilPageChanges(guide), 10);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookMoveGuide);
    Run(guide, 20);
    EXPECT_EQ(guide.GetAlpha(), 1.0f);

    // Letting go without being pulled: back to the hook guide.
    in.attached = false;
    EXPECT_EQ(RunUntilPageChanges(guide), 10);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);

    // Hook, then be pulled by the chain: finished for good.
    Run(guide, 10);
    in.attached = true;
    RunUntilPageChanges(guide);
    ASSERT_EQ(guide.GetPage(), OperationGuide::kHookMoveGuide);
    Run(guide, 10);
    in.attached = false;
    in.pulled = true;
    EXPECT_EQ(RunUntilPageChanges(guide), 10);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kFinished);
    in = Inputs{};
    in.attached = true;
    Run(guide, 100);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kFinished);

    EXPECT_EQ(pages, (std::vector<int>{0, 1, 2, 1, 2, 1, 3, 1, 3, 4}));
    guide.Draw2D();  // nothing on the finished page; harmless without a GPU
}

TEST_F(OperationGuideTest, APageEnteredInvisibleMovesOnWhenLetGoAtOnce) {
    OperationGuide guide(true);
    in.player = Vector3(0.0f, 3.0f, 40.0f);
    RunUntilPageChanges(guide);
    // Struck the box before the hook guide could show at all.
    in.boxInLine = true;
    in.attached = true;
    in.hookedBox = 0;
    Run(guide, 1);
    ASSERT_EQ(guide.GetPage(), OperationGuide::kBoxMoveGuide);
    ASSERT_EQ(guide.GetAlpha(), 0.0f);
    // Reeled in at once: the invisible box-move guide is over in that frame.
    in.attached = false;
    Run(guide, 1);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    EXPECT_FALSE(guide.IsBoxLessonPending());
}

TEST_F(OperationGuideTest, LessonsDoneBeforeAPictureFadesStillCount) {
    OperationGuide guide(true);
    in.player = Vector3(0.0f, 3.0f, 40.0f);
    RunUntilPageChanges(guide);
    in.boxInLine = true;
    Run(guide, 10);
    ASSERT_EQ(guide.GetAlpha(), 1.0f);
    // Strike the box and reel it in three frames later, long before the
    // hook guide has faded; the box then leaves the chain's line.
    in.attached = true;
    in.hookedBox = 0;
    Run(guide, 3);
    in.attached = false;
    Run(guide, 5);
    in.boxInLine = false;
    Run(guide, 20);
    EXPECT_FALSE(guide.IsBoxLessonPending());
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);

    // At the pull spot: strike, and two frames later be pulled away over
    // the pit, the pull over before the picture has faded.
    in.hookedBox = -1;
    in.player = Vector3(-29.0f, 3.0f, 60.0f);
    Run(guide, 20);
    ASSERT_EQ(guide.GetAlpha(), 1.0f);
    in.attached = true;
    Run(guide, 2);
    in.attached = false;
    in.pulled = true;
    in.player = Vector3(-29.0f, 3.0f, 110.0f);
    Run(guide, 4);
    in.pulled = false;
    Run(guide, 30);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kFinished);
    EXPECT_EQ(pages, (std::vector<int>{0, 1, 2, 1, 3, 4}));
}

TEST_F(OperationGuideTest, AStageWithoutBoxesSkipsTheBoxLesson) {
    OperationGuide guide(false);
    EXPECT_FALSE(guide.IsBoxLessonPending());
    in.player = Vector3(0.0f, 3.0f, 40.0f);
    RunUntilPageChanges(guide);
    ASSERT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    // Whatever stands in for the missing box is never read.
    in.boxInLine = true;
    in.firstBox = in.player;
    in.attached = true;
    in.hookedBox = 0;
    Run(guide, 40);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookGuide);
    EXPECT_EQ(guide.GetAlpha(), 0.0f);

    // The pull-spot lesson runs as usual.
    in.player = Vector3(-29.0f, 3.0f, 70.0f);
    in.attached = false;
    in.hookedBox = -1;
    Run(guide, 10);
    EXPECT_EQ(guide.GetAlpha(), 1.0f);
    in.attached = true;
    RunUntilPageChanges(guide);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kHookMoveGuide);
    Run(guide, 10);
    in.attached = false;
    in.pulled = true;
    RunUntilPageChanges(guide);
    EXPECT_EQ(guide.GetPage(), OperationGuide::kFinished);
    EXPECT_EQ(pages, (std::vector<int>{0, 1, 3, 4}));
}
