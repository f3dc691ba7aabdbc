#include "framework/audio/FwAudio.h"

#include "framework/FwTrace.h"
#include "framework/platform/FwPlatform.h"
#include "framework/resource/FwDataRoot.h"
#include "framework/resource/FwLoadFailure.h"

namespace {

// Resource name of a sound file: its path behind the sound folder of the
// content in use (the same name wherever the game finds its Data/).
std::string TraceNameOf(const std::string& path) {
    const std::string folder = FwDataRoot::Path("Sound/");
    return path.compare(0, folder.size(), folder) == 0 ? path.substr(folder.size()) : path;
}

}  // namespace

// ---------------------------------------------------------------------------
// FwAudioManager
// ---------------------------------------------------------------------------

FwAudioManager& FwAudioManager::GetInstance() {
    static FwAudioManager instance;
    return instance;
}

FwAudioManager::~FwAudioManager() { Release(); }

bool FwAudioManager::Init() {
    return Init(FwHasPlatform() ? FwGetPlatform().OpenAudioDevice() : nullptr);
}

bool FwAudioManager::Init(std::unique_ptr<FwAudioDevice> device) {
    playing_.clear();
    device_ = std::move(device);
    listener_ = FwAudioListener{};
    listener_.front = {0, 0, 1};
    return true;
}

void FwAudioManager::Update() {
    if (!device_) return;
    device_->Update();
    for (auto it = playing_.begin(); it != playing_.end();) {
        if (it->second->IsPlaying())
            ++it;
        else
            it = playing_.erase(it);  // may destroy the instance
    }
}

void FwAudioManager::Release() {
    playing_.clear();
    instances_.clear();
    device_.reset();
}

void FwAudioManager::SetVolumes(float music, float effects) {
    musicVolume_ = music;
    effectsVolume_ = effects;
    for (const std::weak_ptr<FwSoundInstance>& weak : instances_)
        if (std::shared_ptr<FwSoundInstance> instance = weak.lock()) instance->ApplyPlayerVolume();
}

void FwAudioManager::Register(const std::shared_ptr<FwSoundInstance>& instance) {
    if (!instance || instance->IsSilent()) return;
    // Dropped instances are swept out whenever the list has doubled.
    if (instances_.size() >= 64 && instances_.size() == instances_.capacity()) {
        std::erase_if(instances_, [](const std::weak_ptr<FwSoundInstance>& weak) { return weak.expired(); });
    }
    instances_.push_back(instance);
}

void FwAudioManager::AddPlaying(const std::shared_ptr<FwSoundInstance>& instance) {
    if (instance) playing_.emplace(instance.get(), instance);
}

// ---------------------------------------------------------------------------
// FwSoundEffect
// ---------------------------------------------------------------------------

bool FwSoundEffect::Load(const std::string& path) {
    FwAudioDevice* device = FwAudioManager::GetInstance().Device();
    if (!device) {
        lastError_ = "no audio device";
        return false;
    }
    FwPcmData pcm;
    std::string error;
    if (!FwLoadWav(path, pcm, error)) {
        lastError_ = path + ": " + error;
        FwReportLoadFailure(path, error, "it plays silent");
        return false;
    }
    std::shared_ptr<FwAudioBuffer> buffer = device->CreateBuffer(pcm);
    if (!buffer) {
        error = "the audio device refused the sample data";
        lastError_ = path + ": " + error;
        FwReportLoadFailure(path, error, "it plays silent");
        return false;
    }
    buffer_ = std::move(buffer);
    fileName_ = path;
    lastError_.clear();
    return true;
}

std::shared_ptr<FwSoundInstance> FwSoundEffect::CreateInstance(bool is3D) {
    FwAudioDevice* device = FwAudioManager::GetInstance().Device();
    // No device, no sample data, or a device out of voices: a silent instance
    // whose calls do nothing, so game objects never have to check.
    std::unique_ptr<FwAudioVoice> voice = (device && buffer_) ? device->CreateVoice(buffer_) : nullptr;
    auto instance = std::make_shared<FwSoundInstance>(std::move(voice), weak_from_this().lock(), is3D);
    FwAudioManager::GetInstance().Register(instance);
    return instance;
}

// ---------------------------------------------------------------------------
// FwSoundInstance
// ---------------------------------------------------------------------------

FwSoundInstance::FwSoundInstance(std::unique_ptr<FwAudioVoice> voice, std::shared_ptr<FwSoundEffect> effect,
                                 bool is3D)
    : voice_(std::move(voice)), effect_(std::move(effect)), positional_(is3D) {
    if (effect_) traceName_ = TraceNameOf(effect_->FileName());
}

FwSoundInstance::~FwSoundInstance() {
    if (voice_) voice_->Stop();
}

void FwSoundInstance::Play(bool loop, bool keepAlive) {
    if (!voice_) return;
    voice_->Stop();
    voice_->Play(loop);
    FwTraceEvent("sound:play:" + traceName_);
    if (keepAlive) FwAudioManager::GetInstance().AddPlaying(weak_from_this().lock());
}

void FwSoundInstance::Stop() {
    if (!voice_) return;
    const bool wasPlaying = voice_->IsPlaying();
    voice_->Stop();
    if (wasPlaying) FwTraceEvent("sound:stop:" + traceName_);
}

bool FwSoundInstance::IsPlaying() const { return voice_ && voice_->IsPlaying(); }

void FwSoundInstance::SetVolume(float volume) {
    volume_ = volume;
    ApplyPlayerVolume();
}

void FwSoundInstance::MarkAsMusic() {
    music_ = true;
    ApplyPlayerVolume();
}

void FwSoundInstance::ApplyPlayerVolume() {
    if (!voice_) return;
    const FwAudioManager& audio = FwAudioManager::GetInstance();
    voice_->SetVolume(volume_ * (music_ ? audio.MusicVolume() : audio.EffectsVolume()));
}

float FwSoundInstance::GetVolume() const { return voice_ ? voice_->GetVolume() : 0.0f; }
