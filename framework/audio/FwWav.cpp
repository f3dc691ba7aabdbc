// WAV decoding through SDL's loader (no SDL_Init needed: it only reads a
// stream and converts samples), converted to interleaved 16-bit PCM. The web
// build has no SDL: there a reader of its own takes the PCM files the game
// ships (8 and 16-bit, mono and stereo; FwWavWeb below).
#ifndef __EMSCRIPTEN__
#include <SDL.h>
#endif

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>
#include <vector>

#include "framework/audio/FwAudioDevice.h"
#include "framework/resource/FwContentFile.h"

namespace {

#ifndef __EMSCRIPTEN__
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

#endif

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

#ifdef __EMSCRIPTEN__
namespace {
uint16_t ReadU16LE(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
}  // namespace

// RIFF/WAVE with a PCM format chunk (8-bit unsigned or 16-bit signed, mono or
// stereo); anything else is refused with a reason.
bool FwDecodeWav(const uint8_t* bytes, size_t size, FwPcmData& out, std::string& error) {
    if (size > FwWavLimits::kMaxFileBytes) {
        error = "the file is larger than " + std::to_string(FwWavLimits::kMaxFileBytes) + " bytes";
        return false;
    }
    if (!ChunksFitTheFile(bytes, size, error)) return false;
    if (size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) {
        error = "not a readable WAV file (no RIFF/WAVE header)";
        return false;
    }
    int channels = 0, bits = 0;
    uint32_t rate = 0;
    const uint8_t* data = nullptr;
    size_t dataBytes = 0;
    for (size_t offset = 12; size - offset >= 8;) {
        const uint32_t length = ReadU32LE(bytes + offset + 4);
        if (length > size - offset - 8) break;
        const uint8_t* body = bytes + offset + 8;
        if (std::memcmp(bytes + offset, "fmt ", 4) == 0 && length >= 16) {
            if (ReadU16LE(body) != 1) {
                error = "not a readable WAV file (only PCM is read)";
                return false;
            }
            channels = ReadU16LE(body + 2);
            rate = ReadU32LE(body + 4);
            bits = ReadU16LE(body + 14);
        } else if (std::memcmp(bytes + offset, "data", 4) == 0) {
            data = body;
            dataBytes = length;
        }
        offset += size_t(length) + (length & 1u) + 8;
        if (offset > size) break;
    }
    if (channels == 0 || !data) {
        error = "not a readable WAV file (no format or data chunk)";
        return false;
    }
    if (channels != 1 && channels != 2) {
        error = std::to_string(channels) + " channels (mono or stereo expected)";
        return false;
    }
    if (rate == 0 || rate > 384000) {
        error = "invalid sample rate";
        return false;
    }
    if (bits != 8 && bits != 16) {
        error = "cannot convert the sample format: " + std::to_string(bits) + "-bit samples";
        return false;
    }
    FwPcmData pcm;
    pcm.channels = channels;
    pcm.sampleRate = static_cast<int>(rate);
    const size_t frameBytes = size_t(bits / 8) * channels;
    pcm.samples.resize((dataBytes / frameBytes) * channels);
    for (size_t i = 0; i < pcm.samples.size(); ++i)
        pcm.samples[i] = bits == 8 ? int16_t((int(data[i]) - 128) << 8) : int16_t(ReadU16LE(data + 2 * i));
    if (pcm.FrameCount() == 0) {
        error = "the WAV file holds no samples";
        return false;
    }
    out = std::move(pcm);
    return true;
}
#else
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

#endif

bool FwLoadWav(const std::string& path, FwPcmData& out, std::string& error) {
    // Only a regular file of bounded size is read: a device or pipe in its
    // place could block or never end.
    std::vector<uint8_t> bytes;
    if (!FwReadBoundedFile(path, FwWavLimits::kMaxFileBytes, bytes, error)) return false;
    return FwDecodeWav(bytes.data(), bytes.size(), out, error);
}
