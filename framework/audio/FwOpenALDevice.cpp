// The real audio device: OpenAL Soft. One AL buffer per sound effect, one AL
// source per voice. Buffers and voices share the device/context record, so
// whatever outlives FwAudioManager::Release (effects cached until exit)
// still deletes its AL objects against a live context.
#include <AL/al.h>
#include <AL/alc.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <utility>

#include "framework/audio/FwAudioDevice.h"

namespace {

class AlContext {
public:
    AlContext(ALCdevice* device, ALCcontext* context, int maxSources)
        : device_(device), context_(context), maxSources_(maxSources) {}
    ~AlContext() {
        if (alcGetCurrentContext() == context_) alcMakeContextCurrent(nullptr);
        alcDestroyContext(context_);
        alcCloseDevice(device_);
    }
    AlContext(const AlContext&) = delete;
    AlContext& operator=(const AlContext&) = delete;

    // Every AL call goes through the context it belongs to.
    void MakeCurrent() const {
        if (alcGetCurrentContext() != context_) alcMakeContextCurrent(context_);
    }
    bool CanAddSource() const { return liveSources_ < maxSources_; }
    void SourceAdded() { ++liveSources_; }
    void SourceRemoved() { --liveSources_; }

private:
    ALCdevice* device_;
    ALCcontext* context_;
    int maxSources_;
    int liveSources_ = 0;
};

class AlBuffer : public FwAudioBuffer {
public:
    AlBuffer(std::shared_ptr<AlContext> context, ALuint id, uint32_t lengthMs)
        : context_(std::move(context)), id_(id), lengthMs_(lengthMs) {}
    ~AlBuffer() override {
        context_->MakeCurrent();
        alDeleteBuffers(1, &id_);
    }
    uint32_t LengthMs() const override { return lengthMs_; }
    ALuint Id() const { return id_; }

private:
    std::shared_ptr<AlContext> context_;
    ALuint id_;
    uint32_t lengthMs_;
};

class AlVoice : public FwAudioVoice {
public:
    AlVoice(std::shared_ptr<AlContext> context, std::shared_ptr<AlBuffer> buffer, ALuint source)
        : context_(std::move(context)), buffer_(std::move(buffer)), source_(source) {
        context_->SourceAdded();
    }
    // The source goes before the buffer it plays (members die after this).
    ~AlVoice() override {
        context_->MakeCurrent();
        alSourceStop(source_);
        alDeleteSources(1, &source_);
        context_->SourceRemoved();
    }
    void Play(bool loop) override {
        context_->MakeCurrent();
        alSourceStop(source_);
        alSourcei(source_, AL_LOOPING, loop ? AL_TRUE : AL_FALSE);
        alSourcePlay(source_);
    }
    void Stop() override {
        context_->MakeCurrent();
        alSourceStop(source_);
    }
    bool IsPlaying() const override {
        context_->MakeCurrent();
        ALint state = AL_STOPPED;
        alGetSourcei(source_, AL_SOURCE_STATE, &state);
        return state == AL_PLAYING;
    }
    void SetVolume(float volume) override {
        context_->MakeCurrent();
        volume_ = volume < 0.0f ? 0.0f : volume;
        alSourcef(source_, AL_GAIN, volume_);
    }
    float GetVolume() const override { return volume_; }

private:
    std::shared_ptr<AlContext> context_;
    std::shared_ptr<AlBuffer> buffer_;
    ALuint source_;
    float volume_ = 1.0f;
};

class AlDevice : public FwAudioDevice {
public:
    explicit AlDevice(std::shared_ptr<AlContext> context) : context_(std::move(context)) {}

    std::shared_ptr<FwAudioBuffer> CreateBuffer(const FwPcmData& pcm) override {
        if ((pcm.channels != 1 && pcm.channels != 2) || pcm.sampleRate <= 0) return nullptr;
        context_->MakeCurrent();
        alGetError();
        ALuint id = 0;
        alGenBuffers(1, &id);
        if (alGetError() != AL_NO_ERROR) return nullptr;
        const ALenum format = pcm.channels == 1 ? AL_FORMAT_MONO16 : AL_FORMAT_STEREO16;
        const auto bytes = static_cast<ALsizei>(pcm.samples.size() * sizeof(int16_t));
        alBufferData(id, format, pcm.samples.data(), bytes, pcm.sampleRate);
        if (alGetError() != AL_NO_ERROR) {
            alDeleteBuffers(1, &id);
            return nullptr;
        }
        const auto lengthMs = static_cast<uint32_t>(uint64_t(pcm.FrameCount()) * 1000u / uint64_t(pcm.sampleRate));
        return std::make_shared<AlBuffer>(context_, id, lengthMs);
    }

    // null when the implementation has no source left.
    std::unique_ptr<FwAudioVoice> CreateVoice(std::shared_ptr<FwAudioBuffer> buffer) override {
        auto alBuffer = std::dynamic_pointer_cast<AlBuffer>(buffer);
        if (!alBuffer || !context_->CanAddSource()) return nullptr;
        context_->MakeCurrent();
        alGetError();
        ALuint source = 0;
        alGenSources(1, &source);
        if (alGetError() != AL_NO_ERROR) return nullptr;
        alSourcei(source, AL_BUFFER, static_cast<ALint>(alBuffer->Id()));
        if (alGetError() != AL_NO_ERROR) {
            alDeleteSources(1, &source);
            return nullptr;
        }
        return std::make_unique<AlVoice>(context_, std::move(alBuffer), source);
    }

    void Update() override {}

private:
    std::shared_ptr<AlContext> context_;
};

// Standard error silenced while it lives, unless the sound libraries' own
// messages were asked for: without a sound card, ALSA and OpenAL Soft print
// a dozen lines of configuration and backend errors while the device is
// opened. Only the opening is wrapped; the file descriptor is restored after.
class QuietStandardError {
public:
    explicit QuietStandardError(bool quiet) {
        if (!quiet) return;
        std::fflush(stderr);
        saved_ = ::dup(STDERR_FILENO);
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved_ >= 0 && null >= 0) ::dup2(null, STDERR_FILENO);
        if (null >= 0) ::close(null);
    }
    ~QuietStandardError() {
        if (saved_ < 0) return;
        std::fflush(stderr);
        ::dup2(saved_, STDERR_FILENO);
        ::close(saved_);
    }
    QuietStandardError(const QuietStandardError&) = delete;
    QuietStandardError& operator=(const QuietStandardError&) = delete;

private:
    int saved_ = -1;
};

int MaxSources(ALCdevice* device) {
    ALCint mono = 0, stereo = 0;
    alcGetIntegerv(device, ALC_MONO_SOURCES, 1, &mono);
    alcGetIntegerv(device, ALC_STEREO_SOURCES, 1, &stereo);
    const int total = mono + stereo;
    return total > 0 ? total : 256;  // OpenAL Soft's default when not reported
}

}  // namespace

std::unique_ptr<FwAudioDevice> FwCreateOpenALDevice(bool libraryMessages) {
    ALCdevice* device = nullptr;
    ALCcontext* context = nullptr;
    {
        QuietStandardError quiet(!libraryMessages);
        device = alcOpenDevice(nullptr);
        context = device ? alcCreateContext(device, nullptr) : nullptr;
        if (device && !context) alcCloseDevice(device);
    }
    if (!context) {
        std::fprintf(stderr, "no sound device, running silent%s\n",
                     libraryMessages ? "" : " (--verbose shows the sound libraries' messages)");
        return nullptr;
    }
    alcMakeContextCurrent(context);
    auto shared = std::make_shared<AlContext>(device, context, MaxSources(device));
    return std::make_unique<AlDevice>(std::move(shared));
}
