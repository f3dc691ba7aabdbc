// Box falling, landing and pulling.
#include <gtest/gtest.h>

#include "framework/FwTrace.h"
#include "framework/audio/FwAudio.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/gimmick/Box.h"
#include "tests/support/FakePlatform.h"

namespace {
struct BoxTest : ::testing::Test {
    FakePlatform platform;
    std::vector<std::string> events;
    void SetUp() override {
        // A test that ran without an audio device cached a silent landing
        // sound; this one needs it loaded on its own device.
        FwResourceFactory::GetInstance().ClearForTests();
        FwAudioManager::GetInstance().Init();
        FwSetTraceSink([this](const std::string& e) { events.push_back(e); });
    }
    void TearDown() override {
        FwSetTraceSink(nullptr);
        FwAudioManager::GetInstance().Release();
    }
    int Count(const std::string& e) const { return static_cast<int>(std::count(events.begin(), events.end(), e)); }
};
}  // namespace

TEST_F(BoxTest, RestingBoxStaysAndIsSilent) {
    Box box(Vector3(0.0f, 2.5f, 0.0f), 0);
    for (int i = 0; i < 10; ++i) box.Fall(box.GetPosition().y);
    EXPECT_FLOAT_EQ(box.GetPosition().y, 2.5f);
    EXPECT_EQ(Count("sound:play:Box/BoxLanding.wav"), 0);
}

TEST_F(BoxTest, DroppedFromTenFallsByGravityAndLandsOnce) {
    Box box(Vector3(0.0f, 10.0f, 0.0f), 0);
    std::vector<float> ys;
    for (int i = 0; i < 40; ++i) {
        box.Fall(box.GetPosition().y);
        ys.push_back(box.GetPosition().y);
    }
    EXPECT_FLOAT_EQ(ys[0], 10.0f);           // speed 0 in the first frame
    EXPECT_NEAR(ys[1], 9.9f, 1e-5f);         // then 0.1
    EXPECT_NEAR(ys[2], 9.7f, 1e-5f);         // then 0.2
    EXPECT_FLOAT_EQ(box.GetPosition().y, 2.5f);
    EXPECT_EQ(box.GetVerticalSpeed(), 0.0f);
    // It may dip below its rest height in the last fast frame, but its
    // centre never passes the floor, and the landing snap lifts it back.
    for (float y : ys) EXPECT_GE(y, 0.0f) << "never passes the floor";
    if (FwAudioManager::GetInstance().Device() != nullptr) {
        EXPECT_EQ(Count("sound:play:Box/BoxLanding.wav"), 1);
    }
}

TEST_F(BoxTest, NothingBelowFallsFreelyToTerminalSpeed) {
    Box box(Vector3(0.0f, 0.0f, 0.0f), 0);
    for (int i = 0; i < 50; ++i) box.Fall(3.4028235e38f);
    EXPECT_FLOAT_EQ(box.GetVerticalSpeed(), -3.0f);
}

TEST_F(BoxTest, PullMovesOnlyTheHookedBox) {
    Box a(Vector3(0, 2.5f, 0), 0), b(Vector3(10, 2.5f, 0), 1);
    a.Pull(Vector3(1, 0, 0), 1);
    b.Pull(Vector3(1, 0, 0), 1);
    EXPECT_EQ(a.GetPosition(), Vector3(0, 2.5f, 0));
    EXPECT_EQ(b.GetPosition(), Vector3(11, 2.5f, 0));
    b.Pull(Vector3(1, 0, 0), -1);
    EXPECT_EQ(b.GetPosition(), Vector3(11, 2.5f, 0));
    EXPECT_EQ(b.GetWorld().Translation(), b.GetPosition());
}

TEST_F(BoxTest, FollowsASinkingSurfaceWithoutSound) {
    Box box(Vector3(0, 2.5f, 0), 0);
    float top = 0.0f;
    for (int i = 0; i < 15; ++i) {
        top -= 0.02f;
        box.Fall(box.GetPosition().y - top);
    }
    EXPECT_NEAR(box.GetPosition().y, top + 2.5f, 1e-5f);
    EXPECT_EQ(Count("sound:play:Box/BoxLanding.wav"), 0);
}
