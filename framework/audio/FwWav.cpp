// WAV decoding through SDL's loader (no SDL_Init needed: it only reads a
// stream and converts samples), converted to interleaved 16-bit PCM.
#include <SDL.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

#include "framework/audio/FwAudioDevice.h"
#include "framework/resource/FwContentFile.h"

namespace {

struct SdlWavDeleter {
    void operator()(Uint8* p) const { SDL_FreeWAV(p); }
};

bool ConvertToS16(const SDL_AudioSpec& wav, const Uint8* data, Uint32 length, FwPcmData& out, std::string& error) {
    SDL_AudioCVT cvt;
    if (SDL_BuildAudioCVT(&cvt, wav.format, wav.channels, wav.freq, AUDIO_S16SYS, wav.channels, wav.freq) < 0) {
        error = std::string("cannot convert the sample format: ") + SDL_GetError();
        return false;
    }
    std::vector<Uint8> work(size_t(length) * size_t(cvt.len_mult > 0 ? cvt.len_mult : 1));
    if (length > 0) std::memcpy(work.data(), data, length);
    cvt.buf = work.data();
    cvt.len = static_cast<int>(length);
    if (cvt.needed && SDL_ConvertAudio(&cvt) < 0) {
        error = std::string("sample conversion failed: ") + SDL_GetError();
        return false;
    }
    const size_t bytes = cvt.needed ? size_t(cvt.len_cvt) : size_t(length);
    const size_t frameBytes = sizeof(int16_t) * size_t(wav.channels);
    out.channels = wav.channels;
    out.sampleRate = wav.freq;
    out.samples.resize((bytes / frameBytes) * wav.channels);
    if (!out.samples.empty()) std::memcpy(out.samples.data(), work.data(), out.samples.size() * sizeof(int16_t));
    return true;
}

uint32_t ReadU32LE(const uint8_t* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// SDL allocates a chunk's declared length before it reads the chunk, so a
// few bytes declaring gigabytes would make it take them: every chunk SDL
// reads (up to the first format and data chunks, in whichever order) must
// fit in the file. SDL also takes a file that starts at "WAVE" without the
// RIFF header. Anything else is left to SDL's own message.
bool ChunksFitTheFile(const uint8_t* bytes, size_t size, std::string& error) {
    size_t offset = 0;
    if (size >= 12 && std::memcmp(bytes, "RIFF", 4) == 0 && std::memcmp(bytes + 8, "WAVE", 4) == 0)
        offset = 12;
    else if (size >= 4 && std::memcmp(bytes, "WAVE", 4) == 0)
        offset = 4;
    else
        return true;
    bool format = false, data = false;
    while (size - offset >= 8 && !(format && data)) {
        const uint32_t length = ReadU32LE(bytes + offset + 4);
        if (length > size - offset - 8) {
            std::string id(reinterpret_cast<const char*>(bytes + offset), 4);
            for (char& c : id)
                if (c < 0x20 || c > 0x7E) c = '?';
            error = "the '" + id + "' chunk runs past the end of the file (truncated or damaged)";
            return false;
        }
        format = format || std::memcmp(bytes + offset, "fmt ", 4) == 0;
        data = data || std::memcmp(bytes + offset, "data", 4) == 0;
        const size_t next = size_t(length) + (length & 1u) + 8;  // chunks are padded to even lengths
        if (next > size - offset) break;
        offset += next;
    }
    return true;
}

}  // namespace

bool FwDecodeWav(const uint8_t* bytes, size_t size, FwPcmData& out, std::string& error) {
    // A data chunk shorter than it claims is an error, not a shorter sound.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    if (size > FwWavLimits::kMaxFileBytes) {
        error = "the file is larger than " + std::to_string(FwWavLimits::kMaxFileBytes) + " bytes";
        return false;
    }
    if (!ChunksFitTheFile(bytes, size, error)) return false;
    SDL_RWops* stream = SDL_RWFromConstMem(bytes, static_cast<int>(size));
    if (!stream) {
        error = std::string("cannot read the bytes (") + SDL_GetError() + ")";
        return false;
    }
    SDL_AudioSpec wav;
    Uint8* raw = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(stream, 1, &wav, &raw, &length)) {
        error = std::string("not a readable WAV file (") + SDL_GetError() + ")";
        return false;
    }
    std::unique_ptr<Uint8, SdlWavDeleter> data(raw);
    if (wav.channels != 1 && wav.channels != 2) {
        error = std::to_string(wav.channels) + " channels (mono or stereo expected)";
        return false;
    }
    if (wav.freq <= 0) {
        error = "invalid sample rate";
        return false;
    }
    FwPcmData pcm;
    if (!ConvertToS16(wav, data.get(), length, pcm, error)) return false;
    // A sound without a single frame cannot be played; treat it as unusable.
    if (pcm.FrameCount() == 0) {
        error = "the WAV file holds no samples";
        return false;
    }
    out = std::move(pcm);
    return true;
}

bool FwLoadWav(const std::string& path, FwPcmData& out, std::string& error) {
    // Only a regular file of bounded size is read: a device or pipe in its
    // place could block or never end.
    std::vector<uint8_t> bytes;
    if (!FwReadBoundedFile(path, FwWavLimits::kMaxFileBytes, bytes, error)) return false;
    return FwDecodeWav(bytes.data(), bytes.size(), out, error);
}
