// Audio device without a sound card: voices keep a real playing state on a
// supplied millisecond clock (a one-shot ends after its length, a loop plays
// until stopped), so headless runs behave like the game and stay repeatable.
#include <utility>

#include "framework/audio/FwAudioDevice.h"

namespace {

class VirtualBuffer : public FwAudioBuffer {
public:
    explicit VirtualBuffer(uint32_t lengthMs) : lengthMs_(lengthMs) {}
    uint32_t LengthMs() const override { return lengthMs_; }

private:
    uint32_t lengthMs_;
};

class VirtualVoice : public FwAudioVoice {
public:
    VirtualVoice(std::shared_ptr<FwAudioBuffer> buffer, std::function<uint32_t()> clock)
        : buffer_(std::move(buffer)), clock_(std::move(clock)) {}

    void Play(bool loop) override {
        playing_ = true;
        loop_ = loop;
        startMs_ = clock_();
    }
    void Stop() override { playing_ = false; }
    bool IsPlaying() const override {
        if (!playing_) return false;
        if (loop_) return true;
        return clock_() - startMs_ < buffer_->LengthMs();  // wraps correctly at 2^32
    }
    void SetVolume(float volume) override { volume_ = volume; }
    float GetVolume() const override { return volume_; }

private:
    std::shared_ptr<FwAudioBuffer> buffer_;
    std::function<uint32_t()> clock_;
    bool playing_ = false;
    bool loop_ = false;
    uint32_t startMs_ = 0;
    float volume_ = 1.0f;
};

class VirtualDevice : public FwAudioDevice {
public:
    explicit VirtualDevice(std::function<uint32_t()> clock) : clock_(std::move(clock)) {}

    std::shared_ptr<FwAudioBuffer> CreateBuffer(const FwPcmData& pcm) override {
        if (pcm.channels <= 0 || pcm.sampleRate <= 0) return nullptr;
        const uint64_t lengthMs = uint64_t(pcm.FrameCount()) * 1000u / uint64_t(pcm.sampleRate);
        return std::make_shared<VirtualBuffer>(static_cast<uint32_t>(lengthMs));
    }
    std::unique_ptr<FwAudioVoice> CreateVoice(std::shared_ptr<FwAudioBuffer> buffer) override {
        if (!buffer) return nullptr;
        return std::make_unique<VirtualVoice>(std::move(buffer), clock_);
    }
    void Update() override {}

private:
    std::function<uint32_t()> clock_;
};

}  // namespace

std::unique_ptr<FwAudioDevice> FwCreateVirtualAudioDevice(std::function<uint32_t()> clockMs) {
    if (!clockMs) return nullptr;
    return std::make_unique<VirtualDevice>(std::move(clockMs));
}
