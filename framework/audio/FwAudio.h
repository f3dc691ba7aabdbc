// Sound playback for the game: the audio manager (device and the set of
// instances kept sounding), sound effects (one decoded WAV file each) and
// sound instances (one playable voice of an effect).
//
// Game code gets instances only through FwResourceFactory::GetSound, which
// never hands out null: a sound that cannot play is a silent instance. Without an audio
// device everything still works, silently.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/audio/FwAudioDevice.h"
#include "framework/math/FwMath.h"

class FwSoundInstance;

// Listener and emitter records for positional sound. Carried so that a
// positional mix can be added later; the game never applies them.
struct FwAudioListener {
    Vector3 front{0, 0, -1};
    Vector3 top{0, 1, 0};
    Vector3 position;
    Vector3 velocity;
};

struct FwAudioEmitter {
    Vector3 front{0, 0, -1};
    Vector3 top{0, 1, 0};
    Vector3 position;
    Vector3 velocity;
    float innerRadius = 0.0f;
    float innerRadiusAngle = 3.14159265f / 4.0f;
    uint32_t channelCount = 1;
    float channelRadius = 1.0f;
    float channelAzimuths[64] = {};
    float curveDistanceScaler = 1.0f;
    float dopplerScaler = 1.0f;
};

class FwAudioManager {
public:
    static FwAudioManager& GetInstance();

    // Application start-up: takes the platform's audio device. Always true:
    // when no device can be opened the game runs silently.
    bool Init();
    // Start-up with a given device (tests, tools); null means silent.
    bool Init(std::unique_ptr<FwAudioDevice> device);
    // Frame loop, once per frame before the scene step: drops instances that
    // stopped sounding from the playing set.
    void Update();
    // Application shutdown: empties the playing set, then closes the device.
    void Release();
    // FwSoundInstance::Play with keep-alive: holds the instance until it
    // stops. One entry per instance however often it is played.
    void AddPlaying(const std::shared_ptr<FwSoundInstance>& instance);

    // Program entry and the options screen: the player's music and effects
    // volumes, 0..1 multipliers of every instance's own volume (music is
    // what MarkAsMusic marked). Applied at once to every living instance.
    void SetVolumes(float music, float effects);
    float MusicVolume() const { return musicVolume_; }
    float EffectsVolume() const { return effectsVolume_; }
    // FwSoundEffect::CreateInstance: kept (weakly) so a volume change
    // reaches instances made before it.
    void Register(const std::shared_ptr<FwSoundInstance>& instance);

    // FwSoundEffect: the device to load and play through; null when silent.
    FwAudioDevice* Device() const { return device_.get(); }
    // Tests: number of instances currently kept alive.
    size_t PlayingCount() const { return playing_.size(); }
    const FwAudioListener& Listener() const { return listener_; }
    // Game scene, every frame after its camera: the listener follows the eye.
    void SetListener(const Vector3& position, const Vector3& front, const Vector3& top) {
        listener_.position = position;
        listener_.front = front;
        listener_.top = top;
    }

private:
    FwAudioManager() = default;
    ~FwAudioManager();
    FwAudioManager(const FwAudioManager&) = delete;
    FwAudioManager& operator=(const FwAudioManager&) = delete;

    std::unique_ptr<FwAudioDevice> device_;
    FwAudioListener listener_;
    std::map<const FwSoundInstance*, std::shared_ptr<FwSoundInstance>> playing_;
    std::vector<std::weak_ptr<FwSoundInstance>> instances_;
    float musicVolume_ = 1.0f;
    float effectsVolume_ = 1.0f;
};

class FwSoundEffect : public std::enable_shared_from_this<FwSoundEffect> {
public:
    // FwResourceFactory::GetSound, first request of a name: decodes the WAV
    // file into a device buffer. False (effect unchanged) when there is no
    // device or the file is missing, truncated or unsupported; a file that
    // does not load is reported on standard error (FwReportLoadFailure).
    bool Load(const std::string& path);
    // FwResourceFactory::GetSound, every request: a new stopped instance,
    // never null; a silent one (IsSilent) when there is no device or no data.
    std::shared_ptr<FwSoundInstance> CreateInstance(bool is3D);

    bool HasData() const { return buffer_ != nullptr; }
    const std::string& FileName() const { return fileName_; }
    // Why the last Load failed, "<path>: <reason>" for a file (empty after a
    // success).
    const std::string& LastError() const { return lastError_; }

private:
    std::shared_ptr<FwAudioBuffer> buffer_;
    std::string fileName_;
    std::string lastError_;
};

class FwSoundInstance : public std::enable_shared_from_this<FwSoundInstance> {
public:
    FwSoundInstance(std::unique_ptr<FwAudioVoice> voice, std::shared_ptr<FwSoundEffect> effect, bool is3D);
    ~FwSoundInstance();
    FwSoundInstance(const FwSoundInstance&) = delete;
    FwSoundInstance& operator=(const FwSoundInstance&) = delete;

    // Game objects: (re)starts from the beginning; with keepAlive the audio
    // manager holds the instance until it stops.
    void Play(bool loop, bool keepAlive = true);
    // Game objects: immediate stop, no tail.
    void Stop();
    bool IsPlaying() const;
    // True for the stand-in of a sound that could not be loaded or has no
    // voice: Play, Stop and SetVolume do nothing, it never plays.
    bool IsSilent() const { return !voice_; }
    // FwResourceFactory at creation: 0 silent .. 1 full, before the
    // player's music or effects volume multiplies it.
    void SetVolume(float volume);
    // The voice's volume: the one set times the player's multiplier.
    float GetVolume() const;
    // Scenes, for their background music: the player's music volume
    // applies to this instance instead of the effects volume.
    void MarkAsMusic();
    bool IsMusic() const { return music_; }
    // FwAudioManager::SetVolumes: the player's multiplier changed.
    void ApplyPlayerVolume();

    bool IsPositional() const { return positional_; }
    // The resource name used in trace events ("HookGun/Chain.wav").
    const std::string& TraceName() const { return traceName_; }

private:
    std::unique_ptr<FwAudioVoice> voice_;
    std::shared_ptr<FwSoundEffect> effect_;
    FwAudioEmitter emitter_;
    bool positional_ = false;
    bool music_ = false;
    float volume_ = 1.0f;  // as set, before the player's multiplier
    std::string traceName_;
};
