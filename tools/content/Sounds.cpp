// Writes every sound of the game under Data/Sound/ (recipes in SoundMusic.cpp
// and SoundEffects.cpp, synthesis in Synth*.cpp).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <system_error>

#include "tools/content/Content.h"
#include "tools/content/SynthSounds.h"

namespace {

bool WriteAll(const std::string& soundDir, const std::vector<synth::SoundFile>& files) {
    bool ok = true;
    for (const synth::SoundFile& file : files) {
        const std::filesystem::path path = std::filesystem::path(soundDir) / file.name;
        std::error_code ec;
        std::filesystem::create_directories(path.parent_path(), ec);
        if (ec) {
            std::fprintf(stderr, "sounds: cannot create %s: %s\n", path.parent_path().c_str(),
                         ec.message().c_str());
            ok = false;
            continue;
        }
        std::string error;
        if (!synth::WriteWav16(path.string(), file.samples, file.sampleRate, error)) {
            std::fprintf(stderr, "sounds: %s\n", error.c_str());
            ok = false;
        }
    }
    return ok;
}

}  // namespace

bool WriteSounds(const ContentContext& ctx) {
    const std::string soundDir = ctx.dataDir + "/Sound";
    try {
        const bool effects = WriteAll(soundDir, synth::MakeEffects());
        const bool music = WriteAll(soundDir, synth::MakeMusic());
        return effects && music;
    } catch (const std::exception& e) {
        // A malformed phrase in a music recipe: a content bug, reported plainly.
        std::fprintf(stderr, "sounds: %s\n", e.what());
        return false;
    }
}
