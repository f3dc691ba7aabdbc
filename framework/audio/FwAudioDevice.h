// The sound device under FwAudioManager: decoded PCM buffers and voices that
// play them. Two implementations:
//   - OpenAL Soft (the real game), FwCreateOpenALDevice;
//   - a virtual device (the harness and tests): no sound card, but voices keep
//     a real playing state on a supplied millisecond clock, so one-shots end
//     after their length and traces stay deterministic.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// 16-bit PCM, interleaved.
struct FwPcmData {
    int channels = 1;
    int sampleRate = 44100;
    std::vector<int16_t> samples;  // frames x channels
    uint32_t FrameCount() const { return channels > 0 ? static_cast<uint32_t>(samples.size() / channels) : 0; }
};

// What a sound file may be. The game's longest sound, the stage music, is
// 2 MB; this is about three minutes of 16-bit stereo at 44.1 kHz.
struct FwWavLimits {
    static constexpr uint64_t kMaxFileBytes = 32u << 20;
};

// FwSoundEffect::Load: reads a RIFF/WAVE file (PCM 8/16-bit, mono/stereo)
// into 16-bit PCM. False with the reason in error (without the path) for a
// missing, truncated, unsupported or oversized file, or one that is not a
// regular file.
bool FwLoadWav(const std::string& path, FwPcmData& out, std::string& error);
// FwLoadWav and the WAV fuzz target: the same from the file's bytes.
bool FwDecodeWav(const uint8_t* bytes, size_t size, FwPcmData& out, std::string& error);

class FwAudioBuffer {
public:
    virtual ~FwAudioBuffer() = default;
    virtual uint32_t LengthMs() const = 0;
};

class FwAudioVoice {
public:
    virtual ~FwAudioVoice() = default;
    // Restarts from the beginning (stopping first when already sounding).
    virtual void Play(bool loop) = 0;
    virtual void Stop() = 0;  // immediate, no tail
    virtual bool IsPlaying() const = 0;
    virtual void SetVolume(float volume) = 0;  // 0 silent .. 1 full
    virtual float GetVolume() const = 0;
};

class FwAudioDevice {
public:
    virtual ~FwAudioDevice() = default;
    virtual std::shared_ptr<FwAudioBuffer> CreateBuffer(const FwPcmData& pcm) = 0;
    // null when the device cannot make another voice
    virtual std::unique_ptr<FwAudioVoice> CreateVoice(std::shared_ptr<FwAudioBuffer> buffer) = 0;
    // FwAudioManager::Update, once per frame.
    virtual void Update() = 0;
};

// FwSdlPlatform::OpenAudioDevice: the real device through OpenAL Soft; null
// when no output device can be opened, which is reported in one line on
// standard error ("no sound device, running silent"). The sound libraries'
// own messages while the device opens (ALSA and OpenAL errors without a sound
// card) go to standard error only with libraryMessages.
std::unique_ptr<FwAudioDevice> FwCreateOpenALDevice(bool libraryMessages = false);
// Virtual device driven by clockMs (the harness's virtual clock).
std::unique_ptr<FwAudioDevice> FwCreateVirtualAudioDevice(std::function<uint32_t()> clockMs);
