// Process-wide cache of every model, texture and sound effect of the game.
//
// Callers name a resource by its path under a per-kind folder of the content
// folder (FwDataRoot; by default "Data/Model/", "Data/Texture/", "Data/Sound/"
// in the working directory); the factory loads
// it on the first request and returns the same object afterwards. Models and
// textures are plain non-owning pointers, never null; a failed load leaves an
// empty object in the cache (draws nothing, is never retried). Sounds are a
// new instance per request, built from a cached effect.
//
// Models, textures and sound effects live as long as a scene may use them,
// not until exit: each scene build starts a new mark (BeginSceneBuild),
// every request stamps what it returns with the newest mark, and once the
// old scene is gone (ReleaseUnused, after a scene switch) whatever was last
// asked for before the new scene's mark, and is not pinned, is freed. A
// pointer stays valid while the scene that asked for it (or any later one
// that asked again) lives: everything a scene holds must come from its own
// requests, made in its construction or while it runs. Whatever must
// outlive every scene is pinned. What the next scene asks for again (the
// music, the gimmicks every stage has) is kept, never loaded twice.
#pragma once

#include <cstddef>
#include <cstdint>
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

    // Scene construction, before its first request: starts a new mark and
    // returns it. Everything requested from now on carries it (or a newer one).
    uint64_t BeginSceneBuild();
    // Scene switch, after the old scene has been destroyed: frees the models,
    // textures and sound effects last requested before `liveMark` (the mark
    // of the oldest scene still alive) and not pinned (a sound instance
    // still held keeps its effect). Returns how many entries were dropped.
    size_t ReleaseUnused(uint64_t liveMark);
    // Keeps the texture or model of that name (loading it if needed) for the
    // rest of the process, whatever the scenes ask for.
    FwTexture* PinTexture(std::string name);
    FwModel* PinModel(std::string name);
    // Tests: how many models, textures and sound effects are held now.
    size_t ModelCount() const { return models_.size(); }
    size_t TextureCount() const { return textures_.size(); }
    size_t SoundCount() const { return sounds_.size(); }

    // Tests: forget everything cached (pointers handed out become invalid).
    void ClearForTests();

private:
    FwResourceFactory();
    ~FwResourceFactory();
    FwResourceFactory(const FwResourceFactory&) = delete;
    FwResourceFactory& operator=(const FwResourceFactory&) = delete;

    // A cached model or texture and the newest mark that asked for it.
    template <class T>
    struct Entry {
        std::unique_ptr<T> object;
        uint64_t mark = 0;
        bool pinned = false;
    };

    std::map<std::string, Entry<FwTexture>> textures_;
    std::map<std::string, Entry<FwModel>> models_;
    uint64_t mark_ = 0;
    // Sound instances share their effect: a freed entry's effect lives on
    // in the instances still holding it.
    struct SoundEntry {
        std::shared_ptr<FwSoundEffect> object;
        uint64_t mark = 0;
        bool pinned = false;
    };
    std::map<std::string, SoundEntry> sounds_;
};
