// Hook sparks: ten streaks per strike, nine visible frames, restarts at a new
// tip, reproducible directions, nothing without a strike.
#include <set>

#include "game/gimmick/HookEffect.h"
#include "tests/stageobjects/StageObjectsSupport.h"

namespace {
using HookEffectTest = StageObjectTest;

// A hook tip turned and placed somewhere in the stage.
Matrix Tip(float yawDeg, const Vector3& at) {
    return MatrixRotationX(20.0f * kDegToRad) * MatrixRotationY(yawDeg * kDegToRad) * MatrixTranslation(at);
}

void ExpectIdle(const HookEffectManager& sparks) {
    EXPECT_EQ(sparks.VisibleCount(), 0);
    for (int i = 0; i < HookEffectManager::kCount; ++i) EXPECT_FALSE(sparks.GetEffect(i).IsVisible()) << i;
}
}  // namespace

TEST_F(HookEffectTest, NothingWithoutAStrike) {
    HookEffectManager sparks;
    for (int frame = 0; frame < 30; ++frame) {
        sparks.Update(false, Tip(30.0f, Vector3(1.0f, 2.0f, 3.0f)));
        ExpectIdle(sparks);
    }
    for (int i = 0; i < HookEffectManager::kCount; ++i) {
        const HookEffect& e = sparks.GetEffect(i);
        EXPECT_EQ(e.GetLife(), 0.0f);
        EXPECT_EQ(e.GetWorld(), Matrix::Identity());
        for (const FwEffectVertex& v : e.GetVertices()) EXPECT_EQ(v.color.w, 0.0f);
    }
    sparks.Draw();  // draws nothing, and without a GPU does nothing at all
}

TEST_F(HookEffectTest, OneStrikeShowsTenStreaksForNineFramesFadingAndSpreading) {
    HookEffectManager sparks;
    const Matrix tip = Tip(45.0f, Vector3(10.0f, 4.0f, -6.0f));
    std::vector<int> visible;
    std::vector<float> alpha;
    for (int frame = 0; frame < 15; ++frame) {
        sparks.Update(frame == 0, frame == 0 ? tip : Tip(0.0f, Vector3()));
        visible.push_back(sparks.VisibleCount());
        alpha.push_back(sparks.GetEffect(3).GetVertices()[2].color.w);
    }
    EXPECT_EQ(visible, (std::vector<int>{10, 10, 10, 10, 10, 10, 10, 10, 10, 0, 0, 0, 0, 0, 0}));
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(alpha[k], 0.9f - 0.1f * k, 1e-5f) << k;
    EXPECT_LT(alpha[9], 0.0f);
    EXPECT_EQ(alpha[14], alpha[9]) << "idle streaks are left as they are";

    std::set<float> angles;
    for (int i = 0; i < HookEffectManager::kCount; ++i) {
        const HookEffect& e = sparks.GetEffect(i);
        const Vector3 dir = e.GetDirection();
        EXPECT_NEAR(Length(dir), 1.0f, 1e-5f);
        EXPECT_EQ(dir.z, 0.0f) << "in the hook's local XY plane";
        angles.insert(std::atan2(dir.y, dir.x));
        // Ten steps of 0.1 (the last in the update that ends it) from the tip
        // along the direction, in the tip's frame.
        const Vector3 expected = TransformCoord(dir * 1.0f, tip);
        const Vector3 at = e.GetPlace().Translation();
        EXPECT_NEAR(at.x, expected.x, 1e-4f);
        EXPECT_NEAR(at.y, expected.y, 1e-4f);
        EXPECT_NEAR(at.z, expected.z, 1e-4f);
        // The streak's long side (local Y) points along its flight.
        const Vector3 along = Normalize(TransformNormal(Vector3(0.0f, 1.0f, 0.0f), e.GetWorld()));
        const Vector3 flight = Normalize(TransformNormal(dir, tip));
        EXPECT_NEAR(Dot(along, flight), 1.0f, 1e-5f);
        EXPECT_EQ(e.GetWorld().Translation(), at);
    }
    EXPECT_EQ(angles.size(), 10u) << "each streak has its own direction";
}

TEST_F(HookEffectTest, StrikesOnConsecutiveFramesRestartEveryStreakAtTheSecondTip) {
    HookEffectManager sparks;
    const Matrix first = Tip(0.0f, Vector3(0.0f, 3.0f, 0.0f));
    const Matrix second = Tip(90.0f, Vector3(-20.0f, 8.0f, 15.0f));
    sparks.Update(true, first);
    std::vector<Vector3> firstDirs;
    for (int i = 0; i < HookEffectManager::kCount; ++i) firstDirs.push_back(sparks.GetEffect(i).GetDirection());
    sparks.Update(true, second);
    int changed = 0;
    for (int i = 0; i < HookEffectManager::kCount; ++i) {
        const HookEffect& e = sparks.GetEffect(i);
        EXPECT_FLOAT_EQ(e.GetLife(), 0.9f) << i;
        const Vector3 expected = TransformCoord(e.GetDirection() * 0.1f, second);
        EXPECT_NEAR(e.GetPlace().Translation().x, expected.x, 1e-4f) << i;
        EXPECT_NEAR(e.GetPlace().Translation().y, expected.y, 1e-4f) << i;
        EXPECT_NEAR(e.GetPlace().Translation().z, expected.z, 1e-4f) << i;
        changed += e.GetDirection() == firstDirs[i] ? 0 : 1;
    }
    EXPECT_GE(changed, 9) << "every strike draws new directions";
    std::vector<int> visible;
    for (int frame = 0; frame < 10; ++frame) {
        sparks.Update(false, first);
        visible.push_back(sparks.VisibleCount());
    }
    EXPECT_EQ(visible, (std::vector<int>{10, 10, 10, 10, 10, 10, 10, 10, 0, 0}));
}

TEST_F(HookEffectTest, ManagersMadeAlikeSprayAlike) {
    const Matrix tip = Tip(10.0f, Vector3(1.0f, 1.0f, 1.0f));
    HookEffectManager a;
    for (int i = 0; i < 3; ++i) a.Update(true, tip);  // a has drawn further
    HookEffectManager b, c;
    b.Update(true, tip);
    c.Update(false, tip);
    c.Update(true, tip);  // frames without a strike draw nothing
    HookEffectManager fresh;
    fresh.Update(true, tip);
    for (int i = 0; i < HookEffectManager::kCount; ++i) {
        EXPECT_EQ(b.GetEffect(i).GetDirection(), fresh.GetEffect(i).GetDirection()) << i;
        EXPECT_EQ(c.GetEffect(i).GetDirection(), fresh.GetEffect(i).GetDirection()) << i;
        EXPECT_EQ(b.GetEffect(i).GetWorld(), fresh.GetEffect(i).GetWorld()) << i;
    }

    HookEffectRandom r1, r2;
    int lo = HookEffectRandom::kMax, hi = 0;
    for (int i = 0; i < 2000; ++i) {
        const int v = r1.Next();
        ASSERT_EQ(v, r2.Next());
        ASSERT_GE(v, 0);
        ASSERT_LE(v, HookEffectRandom::kMax);
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
    EXPECT_LT(lo, 500);
    EXPECT_GT(hi, HookEffectRandom::kMax - 500);
}
