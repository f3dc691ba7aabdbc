// Helpers of the audio and resource tests: a WAV writer and a manual
// millisecond clock for the virtual audio device.
#pragma once

#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace audiotest {

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// A RIFF/WAVE file: format tag 1 (PCM) or 3 (float), the given sample bytes.
inline std::vector<uint8_t> WavBytes(int channels, int rate, int bits, const std::vector<uint8_t>& data,
                                     int formatTag = 1) {
    std::vector<uint8_t> out;
    auto tag = [&out](const char* t) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(t[i]));
    };
    auto u32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
    };
    auto u16 = [&out](uint16_t v) {
        out.push_back(uint8_t(v));
        out.push_back(uint8_t(v >> 8));
    };
    const uint16_t blockAlign = uint16_t(channels * bits / 8);
    tag("RIFF");
    u32(uint32_t(4 + 8 + 16 + 8 + data.size()));
    tag("WAVE");
    tag("fmt ");
    u32(16);
    u16(uint16_t(formatTag));
    u16(uint16_t(channels));
    u32(uint32_t(rate));
    u32(uint32_t(rate) * blockAlign);
    u16(blockAlign);
    u16(uint16_t(bits));
    tag("data");
    u32(uint32_t(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

template <typename T>
std::vector<uint8_t> AsBytes(const std::vector<T>& values) {
    std::vector<uint8_t> out(values.size() * sizeof(T));
    std::memcpy(out.data(), values.data(), out.size());
    return out;
}

// 16-bit mono PCM of the given length (a quiet ramp).
inline std::vector<uint8_t> MonoWav(int rate, int frames) {
    std::vector<int16_t> samples(frames);
    for (int i = 0; i < frames; ++i) samples[i] = int16_t((i % 200) * 10);
    return WavBytes(1, rate, 16, AsBytes(samples));
}

// The virtual device's clock, advanced by hand.
struct ManualClock {
    uint32_t now = 0;
    std::function<uint32_t()> Function() {
        return [this] { return now; };
    }
};

}  // namespace audiotest
