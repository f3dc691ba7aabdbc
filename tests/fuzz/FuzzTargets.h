// The fuzz targets: one entry point per loader of content files, fed the
// bytes of one file. libFuzzer drives them in the GV_FUZZ build
// (libfuzzer/FuzzMain.cpp, scripts/fuzz.sh); test_fuzz replays every input
// kept in the repository through the same entry points in the normal build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace gvfuzz {

// One entry point: false when the loader accepted the bytes but handed back
// something its callers could not rely on (problem says what). Refusing the
// bytes is a correct answer and returns true.
using Entry = bool (*)(const uint8_t* data, size_t size, std::string& problem);

// Stage coordinate file reader (ParseStageFile).
bool StageFile(const uint8_t* data, size_t size, std::string& problem);
// glTF loader (FwParseGLTFModel, then the meshes built from it as FwModel
// does, without a graphics device).
bool Gltf(const uint8_t* data, size_t size, std::string& problem);
// WAV loader (FwDecodeWav).
bool Wav(const uint8_t* data, size_t size, std::string& problem);
// Image loader of textures (FwTexture::DecodePng with the largest size a
// texture may have).
bool Image(const uint8_t* data, size_t size, std::string& problem);

struct Target {
    const char* name;  // the folder under tests/fuzz/corpus/ and tests/fuzz/regressions/
    Entry entry;
};
inline constexpr Target kTargets[] = {
    {"stagefile", &StageFile},
    {"gltf", &Gltf},
    {"wav", &Wav},
    {"image", &Image},
};

}  // namespace gvfuzz
