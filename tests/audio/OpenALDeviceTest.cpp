// The OpenAL Soft device, opened on OpenAL Soft's "null" output backend so
// the test needs no sound card: the mixer still runs in real time, so source
// states, gain and looping behave as on a real device.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "framework/audio/FwAudio.h"
#include "framework/audio/FwAudioDevice.h"

namespace {

FwPcmData Tone(int rate, int frames) {
    FwPcmData pcm;
    pcm.sampleRate = rate;
    pcm.samples.resize(frames);
    for (int i = 0; i < frames; ++i) pcm.samples[i] = int16_t((i % 100) * 100);
    return pcm;
}

std::unique_ptr<FwAudioDevice> OpenNullDevice() {
    ::setenv("ALSOFT_DRIVERS", "null", 1);
    return FwCreateOpenALDevice();
}

// Polls until the voice stops (bounded, generous for a loaded machine).
bool StopsWithin(const FwAudioVoice& voice, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        if (!voice.IsPlaying()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

}  // namespace

TEST(OpenALDevice, VoicesPlayStopLoopAndCarryTheirGain) {
    auto device = OpenNullDevice();
    if (!device) GTEST_SKIP() << "OpenAL null backend unavailable";
    auto buffer = device->CreateBuffer(Tone(8000, 800));  // 100 ms
    ASSERT_TRUE(buffer);
    EXPECT_EQ(buffer->LengthMs(), 100u);
    auto voice = device->CreateVoice(buffer);
    ASSERT_TRUE(voice);
    EXPECT_FALSE(voice->IsPlaying());
    voice->SetVolume(0.4f);
    EXPECT_EQ(voice->GetVolume(), 0.4f);

    voice->Play(true);
    EXPECT_TRUE(voice->IsPlaying());
    std::this_thread::sleep_for(std::chrono::milliseconds(250));  // longer than the buffer
    EXPECT_TRUE(voice->IsPlaying());                               // looping
    voice->Stop();
    EXPECT_FALSE(voice->IsPlaying());

    voice->Play(false);
    EXPECT_TRUE(voice->IsPlaying());
    EXPECT_TRUE(StopsWithin(*voice, std::chrono::seconds(5)));  // a one-shot ends by itself
}

TEST(OpenALDevice, RefusesBadBuffersAndForeignVoices) {
    auto device = OpenNullDevice();
    if (!device) GTEST_SKIP() << "OpenAL null backend unavailable";
    FwPcmData bad = Tone(8000, 10);
    bad.channels = 3;
    EXPECT_FALSE(device->CreateBuffer(bad));
    EXPECT_FALSE(device->CreateVoice(nullptr));
}

// Asking for more voices than the implementation has sources yields null
// voices (silent instances), not a failure; freed sources are reusable.
TEST(OpenALDevice, RunningOutOfSourcesGivesNullVoices) {
    auto device = OpenNullDevice();
    if (!device) GTEST_SKIP() << "OpenAL null backend unavailable";
    auto buffer = device->CreateBuffer(Tone(8000, 80));
    std::vector<std::unique_ptr<FwAudioVoice>> voices;
    for (int i = 0; i < 2000; ++i) {
        auto voice = device->CreateVoice(buffer);
        if (!voice) break;
        voices.push_back(std::move(voice));
    }
    ASSERT_GT(voices.size(), 16u);
    ASSERT_LT(voices.size(), 2000u);
    EXPECT_FALSE(device->CreateVoice(buffer));
    voices.pop_back();
    EXPECT_TRUE(device->CreateVoice(buffer));
}

// Effects cached past FwAudioManager::Release (as the resource factory
// does until exit) still free their AL objects safely.
TEST(OpenALDevice, BuffersAndVoicesMayOutliveTheDevice) {
    auto device = OpenNullDevice();
    if (!device) GTEST_SKIP() << "OpenAL null backend unavailable";
    auto buffer = device->CreateBuffer(Tone(8000, 800));
    auto voice = device->CreateVoice(buffer);
    voice->Play(true);
    device.reset();
    EXPECT_TRUE(voice->IsPlaying());
    voice->Stop();
    voice.reset();
    buffer.reset();
}

// The same through the manager: an instance over an OpenAL voice, silent
// when the sources ran out.
TEST(OpenALDevice, ManagerInstancesOverOpenAL) {
    auto device = OpenNullDevice();
    if (!device) GTEST_SKIP() << "OpenAL null backend unavailable";
    FwAudioManager& manager = FwAudioManager::GetInstance();
    manager.Init(std::move(device));
    auto buffer = manager.Device()->CreateBuffer(Tone(8000, 80));
    std::vector<std::unique_ptr<FwAudioVoice>> hog;
    while (auto v = manager.Device()->CreateVoice(buffer)) hog.push_back(std::move(v));
    auto silent = std::make_shared<FwSoundInstance>(manager.Device()->CreateVoice(buffer), nullptr, false);
    silent->Play(false, true);
    EXPECT_FALSE(silent->IsPlaying());
    EXPECT_EQ(manager.PlayingCount(), 0u);
    hog.clear();
    manager.Release();
}

namespace {

// In a process of its own (OpenAL Soft reads its configuration once): opens
// the device through an OpenAL configuration that names an ALSA device that
// does not exist, as on a machine without a sound card, and ends the process
// with 0 when no device came back.
void OpenWithoutASoundDevice(bool libraryMessages) {
    const std::string conf = testing::TempDir() + "gv_no_sound_device_" + std::to_string(::getpid()) + ".conf";
    std::FILE* file = std::fopen(conf.c_str(), "w");
    if (!file) std::exit(2);
    std::fputs("[general]\ndrivers = alsa\n[alsa]\ndevice = gv-no-such-device\n", file);
    std::fclose(file);
    ::unsetenv("ALSOFT_DRIVERS");
    ::setenv("ALSOFT_CONF", conf.c_str(), 1);
    const bool opened = FwCreateOpenALDevice(libraryMessages) != nullptr;
    std::remove(conf.c_str());
    std::exit(opened ? 1 : 0);
}

}  // namespace

// Without a sound device the game says so in one line of its own and runs
// silent; the sound libraries' own lines (ALSA's configuration errors,
// OpenAL's backend errors) appear only when asked for (--verbose).
TEST(OpenALDeviceDeathTest, WithoutADeviceOneLineOfOursUnlessVerbose) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(OpenWithoutASoundDevice(false), testing::ExitedWithCode(0),
                "^no sound device, running silent \\(--verbose shows the sound libraries' messages\\)\n$");
    EXPECT_EXIT(OpenWithoutASoundDevice(true), testing::ExitedWithCode(0), ".+\nno sound device, running silent\n$");
}
