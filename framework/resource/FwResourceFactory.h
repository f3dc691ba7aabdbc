// Process-wide cache of every model, texture and sound effect of the game.
//
// Callers name a resource by its path under a per-kind folder of the content
// folder (FwDataRoot; by default "Data/Model/", "Data/Texture/", "Data/Sound/"
// in the working directory); the factory loads
// it on the first request and returns the same object afterwards. Models and
// textures are plain non-owning pointers, never null, valid until the factory
// dies at exit; a failed load leaves an empty object in the cache (draws
// nothing, is never retried). Sounds are a new instance per request, built
// from a cached effect.
#pragma once

#include <map>
#include <memory>
#include <string>

class FwModel;
class FwTexture;
class FwSoundEffect;
class FwSoundInstance;

class FwResourceFactory {
public:
    static FwResourceFactory& GetInstance();

    // Object constructors: the model FwDataRoot::Path("Model/" + name).
    FwModel* GetModel(std::string name);
    // Object constructors: the texture FwDataRoot::Path("Texture/" + name).
    FwTexture* GetTexture(std::string name);
    // Object constructors: a new stopped instance of FwDataRoot::Path("Sound/" + name) at
    // the given volume (0 silent .. 1 full). Never null: when the file does not
    // load or there is no audio device it is a silent instance (IsSilent).
    std::shared_ptr<FwSoundInstance> GetSound(std::string name, float volume, bool is3D);

    // Tests: forget everything cached (pointers handed out become invalid).
    void ClearForTests();

private:
    FwResourceFactory();
    ~FwResourceFactory();
    FwResourceFactory(const FwResourceFactory&) = delete;
    FwResourceFactory& operator=(const FwResourceFactory&) = delete;

    std::map<std::string, std::unique_ptr<FwTexture>> textures_;
    std::map<std::string, std::unique_ptr<FwModel>> models_;
    std::map<std::string, std::shared_ptr<FwSoundEffect>> sounds_;
};
