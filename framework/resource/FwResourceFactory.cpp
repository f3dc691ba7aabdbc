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
    if (it != models_.end()) return it->second.get();
    auto model = std::make_unique<FwModel>();
    model->Load(key);  // an empty model is cached on failure
    return models_.emplace(key, std::move(model)).first->second.get();
}

FwTexture* FwResourceFactory::GetTexture(std::string name) {
    const std::string key = FwDataRoot::Path(kTextureFolder + name);
    auto it = textures_.find(key);
    if (it != textures_.end()) return it->second.get();
    auto texture = std::make_unique<FwTexture>();
    texture->Load(key, false, false);  // an empty texture is cached on failure
    return textures_.emplace(key, std::move(texture)).first->second.get();
}

std::shared_ptr<FwSoundInstance> FwResourceFactory::GetSound(std::string name, float volume, bool is3D) {
    const std::string key = FwDataRoot::Path(kSoundFolder + name);
    auto it = sounds_.find(key);
    if (it == sounds_.end()) {
        auto effect = std::make_shared<FwSoundEffect>();
        effect->Load(key);  // a failed effect is cached too: no retry
        it = sounds_.emplace(key, std::move(effect)).first;
    }
    std::shared_ptr<FwSoundInstance> instance = it->second->CreateInstance(is3D);
    instance->SetVolume(volume);
    return instance;
}

void FwResourceFactory::ClearForTests() {
    textures_.clear();
    models_.clear();
    sounds_.clear();
}
