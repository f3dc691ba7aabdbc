// WAV decoding through SDL's loader (no SDL_Init needed: it only reads a
// stream and converts samples), converted to interleaved 16-bit PCM.
#include <SDL.h>

#include <cstring>
#include <memory>

#include "framework/audio/FwAudioDevice.h"

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

}  // namespace

bool FwLoadWav(const std::string& path, FwPcmData& out, std::string& error) {
    // A data chunk shorter than it claims is an error, not a shorter sound.
    SDL_SetHint(SDL_HINT_WAVE_TRUNCATION, "strict");
    SDL_RWops* file = SDL_RWFromFile(path.c_str(), "rb");
    if (!file) {
        error = path + ": cannot open (" + SDL_GetError() + ")";
        return false;
    }
    SDL_AudioSpec wav;
    Uint8* raw = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(file, 1, &wav, &raw, &length)) {
        error = path + ": not a readable WAV file (" + SDL_GetError() + ")";
        return false;
    }
    std::unique_ptr<Uint8, SdlWavDeleter> data(raw);
    if (wav.channels != 1 && wav.channels != 2) {
        error = path + ": " + std::to_string(wav.channels) + " channels (mono or stereo expected)";
        return false;
    }
    if (wav.freq <= 0) {
        error = path + ": invalid sample rate";
        return false;
    }
    FwPcmData pcm;
    if (!ConvertToS16(wav, data.get(), length, pcm, error)) {
        error = path + ": " + error;
        return false;
    }
    // A sound without a single frame cannot be played; treat it as unusable.
    if (pcm.FrameCount() == 0) {
        error = path + ": the WAV file holds no samples";
        return false;
    }
    out = std::move(pcm);
    return true;
}
