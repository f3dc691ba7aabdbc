#include "framework/resource/FwResourceFactory.h"

#include "framework/audio/FwAudio.h"
#include "framework/model/FwModel.h"
#include "framework/render/FwTexture.h"
#include "framework/resource/FwDataRoot.h"

namespace {
constexpr const char* kModelFolder = "Model/";
constexpr const char* kTextureFolder = "Texture/";
constexpr const char* kSoundFolder = "Sound/";
}  // namespace

FwResourceFactory& FwResourceFactory::GetInstance() {
    static FwResourceFactory instance;
    return instance;
}

FwResourceFactory::FwResourceFactory() = default;
FwResourceFactory::~FwResourceFactory() = default;

FwModel* FwResourceFactory::GetModel(std::string name) {
    const std::string key = FwDataRoot::Path(kModelFolder + name);
    auto it = models_.find(key);
    if (it == models_.end()) {
        auto model = std::make_unique<FwModel>();
        model->Load(key);  // an empty model is cached on failure
        it = models_.emplace(key, Entry<FwModel>{std::move(model)}).first;
    }
    it->second.mark = mark_;
    return it->second.object.get();
}

FwTexture* FwResourceFactory::GetTexture(std::string name) {
    const std::string key = FwDataRoot::Path(kTextureFolder + name);
    auto it = textures_.find(key);
    if (it == textures_.end()) {
        auto texture = std::make_unique<FwTexture>();
        texture->Load(key, false, false);  // an empty texture is cached on failure
        it = textures_.emplace(key, Entry<FwTexture>{std::move(texture)}).first;
    }
    it->second.mark = mark_;
    return it->second.object.get();
}

FwTexture* FwResourceFactory::PinTexture(std::string name) {
    FwTexture* texture = GetTexture(name);
    textures_.find(FwDataRoot::Path(kTextureFolder + name))->second.pinned = true;
    return texture;
}

FwModel* FwResourceFactory::PinModel(std::string name) {
    FwModel* model = GetModel(name);
    models_.find(FwDataRoot::Path(kModelFolder + name))->second.pinned = true;
    return model;
}

uint64_t FwResourceFactory::BeginSceneBuild() { return ++mark_; }

size_t FwResourceFactory::ReleaseUnused(uint64_t liveMark) {
    size_t freed = 0;
    auto sweep = [&freed, liveMark](auto& cache) {
        for (auto it = cache.begin(); it != cache.end();) {
            if (it->second.pinned || it->second.mark >= liveMark) {
                ++it;
            } else {
                it = cache.erase(it);
                ++freed;
            }
        }
    };
    // Models first: a model's materials hold shared textures of their own
    // (FwTexture::LoadShared), which go with the last model using them.
    sweep(models_);
    sweep(textures_);
    sweep(sounds_);
    return freed;
}

std::shared_ptr<FwSoundInstance> FwResourceFactory::GetSound(std::string name, float volume, bool is3D) {
    const std::string key = FwDataRoot::Path(kSoundFolder + name);
    auto it = sounds_.find(key);
    if (it == sounds_.end()) {
        auto effect = std::make_shared<FwSoundEffect>();
        effect->Load(key);  // a failed effect is cached too: no retry
        it = sounds_.emplace(key, SoundEntry{std::move(effect)}).first;
    }
    it->second.mark = mark_;
    std::shared_ptr<FwSoundInstance> instance = it->second.object->CreateInstance(is3D);
    instance->SetVolume(volume);
    return instance;
}

void FwResourceFactory::ClearForTests() {
    textures_.clear();
    models_.clear();
    sounds_.clear();
}
