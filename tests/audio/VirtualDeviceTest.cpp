// The virtual audio device: voices follow the supplied clock.
#include <gtest/gtest.h>

#include "framework/audio/FwAudioDevice.h"
#include "tests/audio/AudioTestSupport.h"

using namespace audiotest;

namespace {

FwPcmData Pcm(int rate, int frames, int channels = 1) {
    FwPcmData pcm;
    pcm.channels = channels;
    pcm.sampleRate = rate;
    pcm.samples.assign(size_t(frames) * channels, 0);
    return pcm;
}

}  // namespace

TEST(VirtualAudioDevice, BufferLengthComesFromFramesAndRate) {
    ManualClock clock;
    auto device = FwCreateVirtualAudioDevice(clock.Function());
    ASSERT_TRUE(device);
    EXPECT_EQ(device->CreateBuffer(Pcm(8000, 4000))->LengthMs(), 500u);
    EXPECT_EQ(device->CreateBuffer(Pcm(44100, 44100, 2))->LengthMs(), 1000u);
    EXPECT_FALSE(device->CreateBuffer(Pcm(0, 10)));
    EXPECT_FALSE(device->CreateVoice(nullptr));
    EXPECT_FALSE(FwCreateVirtualAudioDevice(nullptr));
}

TEST(VirtualAudioDevice, OneShotsEndAfterTheirLengthLoopsKeepPlaying) {
    ManualClock clock;
    auto device = FwCreateVirtualAudioDevice(clock.Function());
    auto buffer = device->CreateBuffer(Pcm(1000, 100));  // 100 ms
    auto oneShot = device->CreateVoice(buffer);
    auto loop = device->CreateVoice(buffer);
    EXPECT_FALSE(oneShot->IsPlaying());
    clock.now = 5000;
    oneShot->Play(false);
    loop->Play(true);
    clock.now = 5099;
    EXPECT_TRUE(oneShot->IsPlaying());
    clock.now = 5100;
    EXPECT_FALSE(oneShot->IsPlaying());
    clock.now = 60000;
    EXPECT_TRUE(loop->IsPlaying());
    loop->Stop();
    EXPECT_FALSE(loop->IsPlaying());

    // Play restarts from the beginning.
    oneShot->Play(false);
    clock.now = 60080;
    oneShot->Play(false);
    clock.now = 60150;
    EXPECT_TRUE(oneShot->IsPlaying());
    clock.now = 60180;
    EXPECT_FALSE(oneShot->IsPlaying());
}

TEST(VirtualAudioDevice, ClockWrapAroundAndVolume) {
    ManualClock clock;
    clock.now = 0xFFFFFFF0u;
    auto device = FwCreateVirtualAudioDevice(clock.Function());
    auto voice = device->CreateVoice(device->CreateBuffer(Pcm(1000, 100)));
    voice->Play(false);
    clock.now = 0x20;  // 48 ms later, across the wrap
    EXPECT_TRUE(voice->IsPlaying());
    clock.now = 0x60;
    EXPECT_FALSE(voice->IsPlaying());
    EXPECT_EQ(voice->GetVolume(), 1.0f);
    voice->SetVolume(0.3f);
    EXPECT_EQ(voice->GetVolume(), 0.3f);
}
