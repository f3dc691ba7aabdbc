// FwAudioManager, FwSoundEffect and FwSoundInstance on the virtual device:
// keep-alive, pruning, restarts, silence without a device.
#include <gtest/gtest.h>

#include "framework/FwTrace.h"
#include "framework/audio/FwAudio.h"
#include "tests/audio/AudioTestSupport.h"

using namespace audiotest;

namespace {

class AudioManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        FwAudioManager::GetInstance().Init(FwCreateVirtualAudioDevice(clock_.Function()));
        WriteBytes(dir_.File("short.wav"), MonoWav(1000, 100));  // 100 ms
        FwSetTraceSink([this](const std::string& e) { events_.push_back(e); });
    }
    void TearDown() override {
        FwSetTraceSink({});
        FwAudioManager::GetInstance().Release();
    }

    std::shared_ptr<FwSoundInstance> NewInstance() {
        auto effect = std::make_shared<FwSoundEffect>();
        EXPECT_TRUE(effect->Load(dir_.File("short.wav"))) << effect->LastError();
        return effect->CreateInstance(false);
    }

    FwAudioManager& manager_ = FwAudioManager::GetInstance();
    ManualClock clock_;
    TempDir dir_;
    std::vector<std::string> events_;
};

}  // namespace

// A one-shot played with keep-alive outlives the game's handle until it has
// finished; the first update after its end lets it go.
TEST_F(AudioManagerTest, KeepAliveOutlivesTheGameHandleUntilTheSoundEnds) {
    auto instance = NewInstance();
    ASSERT_TRUE(instance);
    std::weak_ptr<FwSoundInstance> watch = instance;
    instance->Play(false, true);
    instance.reset();  // the game object drops it in the same frame
    clock_.now = 50;
    manager_.Update();
    ASSERT_FALSE(watch.expired());
    EXPECT_TRUE(watch.lock()->IsPlaying());
    EXPECT_EQ(manager_.PlayingCount(), 1u);
    clock_.now = 100;
    manager_.Update();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(manager_.PlayingCount(), 0u);
}

TEST_F(AudioManagerTest, WithoutKeepAliveTheHandleIsTheOnlyOwner) {
    auto instance = NewInstance();
    std::weak_ptr<FwSoundInstance> watch = instance;
    instance->Play(false, false);
    EXPECT_EQ(manager_.PlayingCount(), 0u);
    instance.reset();
    EXPECT_TRUE(watch.expired());
}

// Playing again restarts the sound and keeps a single entry.
TEST_F(AudioManagerTest, PlayTwiceRestartsAndKeepsOneEntry) {
    auto loop = NewInstance();
    loop->Play(true, true);
    loop->Play(true, true);
    EXPECT_EQ(manager_.PlayingCount(), 1u);

    auto shot = NewInstance();
    shot->Play(false, true);
    clock_.now = 80;
    shot->Play(false, true);
    EXPECT_EQ(manager_.PlayingCount(), 2u);
    clock_.now = 150;  // past the first start's end, not the restart's
    manager_.Update();
    EXPECT_TRUE(shot->IsPlaying());
    EXPECT_EQ(manager_.PlayingCount(), 2u);
    clock_.now = 180;
    manager_.Update();
    EXPECT_FALSE(shot->IsPlaying());
    EXPECT_EQ(manager_.PlayingCount(), 1u);  // the loop stays
    EXPECT_TRUE(loop->IsPlaying());
}

TEST_F(AudioManagerTest, IsPlayingIsFalseBeforePlayAndAfterTheEnd) {
    auto instance = NewInstance();
    EXPECT_FALSE(instance->IsPlaying());
    instance->Play(false, true);
    EXPECT_TRUE(instance->IsPlaying());
    clock_.now = 1000;
    EXPECT_FALSE(instance->IsPlaying());
}

// Stop is immediate and ends the keep-alive at the next update; only an
// explicit stop of a playing sound is reported.
TEST_F(AudioManagerTest, StopIsImmediateAndTraced) {
    auto instance = NewInstance();
    instance->Play(true, true);
    instance->Stop();
    EXPECT_FALSE(instance->IsPlaying());
    instance->Stop();  // not playing: nothing to report
    manager_.Update();
    EXPECT_EQ(manager_.PlayingCount(), 0u);
    const std::string name = dir_.File("short.wav");  // outside the sound folder: the full path
    EXPECT_EQ(events_, (std::vector<std::string>{"sound:play:" + name, "sound:stop:" + name}));

    // Destroying a sounding instance silences it without a stop event.
    auto other = NewInstance();
    other->Play(true, false);
    events_.clear();
    other.reset();
    EXPECT_TRUE(events_.empty());
}

TEST_F(AudioManagerTest, VolumeGoesToTheVoice) {
    auto instance = NewInstance();
    instance->SetVolume(0.25f);
    EXPECT_EQ(instance->GetVolume(), 0.25f);
    EXPECT_FALSE(instance->IsPositional());
    auto effect = std::make_shared<FwSoundEffect>();
    ASSERT_TRUE(effect->Load(dir_.File("short.wav")));
    EXPECT_TRUE(effect->CreateInstance(true)->IsPositional());
}

// The instance keeps its effect (and the sample data) alive.
TEST_F(AudioManagerTest, InstancesKeepTheirEffectAlive) {
    auto effect = std::make_shared<FwSoundEffect>();
    ASSERT_TRUE(effect->Load(dir_.File("short.wav")));
    std::weak_ptr<FwSoundEffect> watch = effect;
    auto instance = effect->CreateInstance(false);
    effect.reset();
    EXPECT_FALSE(watch.expired());
    instance->Play(false, true);
    instance.reset();
    clock_.now = 200;
    manager_.Update();
    EXPECT_TRUE(watch.expired());
}

TEST_F(AudioManagerTest, FailedLoadsLeaveTheEffectWithoutData) {
    auto effect = std::make_shared<FwSoundEffect>();
    ASSERT_TRUE(effect->Load(dir_.File("short.wav")));
    WriteBytes(dir_.File("broken.wav"), {'R', 'I', 'F', 'F'});
    testing::internal::CaptureStderr();
    EXPECT_FALSE(effect->Load(dir_.File("broken.wav")));
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(effect->LastError().rfind(dir_.File("broken.wav") + ": ", 0), 0u) << effect->LastError();
    EXPECT_EQ(err.rfind("cannot load " + dir_.File("broken.wav") + ": ", 0), 0u) << err;
    EXPECT_TRUE(effect->HasData());  // the earlier sound stays
    EXPECT_EQ(effect->FileName(), dir_.File("short.wav"));

    auto fresh = std::make_shared<FwSoundEffect>();
    EXPECT_FALSE(fresh->Load(dir_.File("missing.wav")));
    EXPECT_FALSE(fresh->HasData());
    EXPECT_TRUE(fresh->CreateInstance(false)->IsSilent());
}

// No device: loads fail, no instances, updates and releases are harmless.
TEST_F(AudioManagerTest, WithoutADeviceEverythingIsSilent) {
    auto before = NewInstance();
    before->Play(true, true);
    EXPECT_TRUE(manager_.Init(nullptr));
    EXPECT_EQ(manager_.PlayingCount(), 0u);  // Init empties the playing set
    auto effect = std::make_shared<FwSoundEffect>();
    EXPECT_FALSE(effect->Load(dir_.File("short.wav")));
    EXPECT_TRUE(effect->CreateInstance(false)->IsSilent());
    manager_.Update();
    // An instance made before the device went away still answers safely.
    before->Play(false, true);
    before->Stop();
    manager_.Release();
    manager_.Update();
}

// Without a platform installed, Init runs silently and still succeeds.
TEST_F(AudioManagerTest, InitWithoutPlatformIsSilentButSucceeds) {
    EXPECT_TRUE(manager_.Init());
    EXPECT_EQ(manager_.Device(), nullptr);
    EXPECT_EQ(manager_.Listener().front, Vector3(0, 0, 1));
}
