// Checks every sound under Data/Sound as the game will play it: a well-formed
// 16-bit PCM WAV that the game's loader reads, a sensible length, headroom
// below full scale, no DC offset, one-shots that start and end in silence and
// loops whose last sample runs into the first without a click.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "framework/audio/FwAudioDevice.h"

namespace {

const std::string kSoundDir = std::string(GV_SOURCE_DIR) + "/Data/Sound/";

struct Expected {
    const char* name;
    bool loop;
    double minSeconds;
    double maxSeconds;
};

// Every sound the game requests, whether it loops, and the length it needs.
const Expected kSounds[] = {
    {"BGM.wav", true, 20.0, 60.0},
    {"GameBGM.wav", true, 20.0, 60.0},
    {"GameBGM_3.wav", true, 20.0, 60.0},
    {"Determination.wav", false, 0.1, 2.0},
    {"Cursor.wav", false, 0.02, 0.5},
    {"HookGun/Chain.wav", true, 0.2, 2.0},
    {"HookGun/HookHit.wav", false, 0.1, 2.0},
    {"HookGun/JewelHit.wav", false, 0.1, 2.5},
    {"Box/BoxLanding.wav", false, 0.1, 1.5},
    {"Button/Button.wav", false, 0.05, 1.0},
    {"Jewel/JewelGet.wav", false, 0.5, 4.0},
    {"Door/DoorOpen.wav", false, 0.25, 1.5},  // covers the 15-frame travel
    {"Door/DoorClose.wav", false, 0.25, 1.5},
    {"Door/Time/Timer1.wav", true, 0.2, 2.0},
    {"Door/Time/Timer2.wav", true, 0.2, 2.0},
    {"Door/Time/Bell.wav", false, 0.3, 4.0},
    {"Laser/LaserHit.wav", false, 0.1, 2.0},
    {"Laser/laser.wav", true, 0.2, 2.0},
    {"Player/Landing.wav", false, 0.05, 1.0},
    {"Player/FootStep.wav", true, 0.3, 2.0},
};

void PrintTo(const Expected& e, std::ostream* os) { *os << e.name; }

struct Wav {
    int channels = 0;
    int sampleRate = 0;
    std::vector<double> mono;  // first channel, scaled to [-1, 1)
};

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}
uint16_t U16(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

// Strict reader: RIFF/WAVE, a 16-byte PCM fmt chunk, a data chunk that fits
// the file. Any other chunk is skipped by its declared size.
::testing::AssertionResult ReadWav(const std::string& path, Wav& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return ::testing::AssertionFailure() << "missing " << path;
    const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), {});
    if (b.size() < 12 || std::memcmp(b.data(), "RIFF", 4) != 0 ||
        std::memcmp(b.data() + 8, "WAVE", 4) != 0) {
        return ::testing::AssertionFailure() << path << ": not RIFF/WAVE";
    }
    if (U32(b, 4) != b.size() - 8) {
        return ::testing::AssertionFailure() << path << ": RIFF size " << U32(b, 4)
                                             << " does not match the file";
    }
    bool haveFmt = false;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t size = U32(b, at + 4);
        if (size > b.size() - at - 8) {
            return ::testing::AssertionFailure() << path << ": chunk overruns the file";
        }
        const uint8_t* tag = b.data() + at;
        if (std::memcmp(tag, "fmt ", 4) == 0) {
            if (size < 16) return ::testing::AssertionFailure() << path << ": short fmt chunk";
            const uint16_t format = U16(b, at + 8);
            out.channels = U16(b, at + 10);
            out.sampleRate = static_cast<int>(U32(b, at + 12));
            const uint32_t byteRate = U32(b, at + 16);
            const uint16_t blockAlign = U16(b, at + 20);
            const uint16_t bits = U16(b, at + 22);
            if (format != 1 || bits != 16) {
                return ::testing::AssertionFailure() << path << ": not 16-bit PCM";
            }
            if (out.channels < 1 || out.channels > 2 || blockAlign != 2 * out.channels ||
                byteRate != static_cast<uint32_t>(out.sampleRate) * blockAlign) {
                return ::testing::AssertionFailure() << path << ": inconsistent fmt fields";
            }
            haveFmt = true;
        } else if (std::memcmp(tag, "data", 4) == 0) {
            if (!haveFmt) return ::testing::AssertionFailure() << path << ": data before fmt";
            if (size % (2 * out.channels) != 0) {
                return ::testing::AssertionFailure() << path << ": partial frame in data";
            }
            const size_t frames = size / (2 * out.channels);
            out.mono.resize(frames);
            for (size_t i = 0; i < frames; ++i) {
                const int16_t v = static_cast<int16_t>(U16(b, at + 8 + i * 2 * out.channels));
                out.mono[i] = v / 32768.0;
            }
            return ::testing::AssertionSuccess();
        }
        at += 8 + size + (size & 1);
    }
    return ::testing::AssertionFailure() << path << ": no data chunk";
}

double Peak(const std::vector<double>& s) {
    double p = 0.0;
    for (double x : s) p = std::max(p, std::fabs(x));
    return p;
}

double Mean(const std::vector<double>& s) {
    double sum = 0.0;
    for (double x : s) sum += x;
    return sum / static_cast<double>(s.size());
}

// Largest step between neighbouring samples among the `span` steps just
// before the end and just after the start of a loop.
double LargestStepAroundSeam(const std::vector<double>& s, size_t span) {
    double largest = 0.0;
    for (size_t i = 0; i < span; ++i) {
        largest = std::max(largest, std::fabs(s[i + 1] - s[i]));
        const size_t j = s.size() - 2 - i;
        largest = std::max(largest, std::fabs(s[j + 1] - s[j]));
    }
    return largest;
}

class SoundFileTest : public ::testing::TestWithParam<Expected> {};

TEST_P(SoundFileTest, IsWellFormedAndLevelled) {
    const Expected& e = GetParam();
    Wav wav;
    ASSERT_TRUE(ReadWav(kSoundDir + e.name, wav));
    EXPECT_TRUE(wav.sampleRate == 22050 || wav.sampleRate == 32000 || wav.sampleRate == 44100)
        << wav.sampleRate;

    const double seconds = static_cast<double>(wav.mono.size()) / wav.sampleRate;
    EXPECT_GE(seconds, e.minSeconds);
    EXPECT_LE(seconds, e.maxSeconds);

    // Headroom: below -0.5 dBFS, yet not so quiet that the game's volume
    // table would lose it (above -12 dBFS).
    const double peak = Peak(wav.mono);
    EXPECT_LT(peak, 0.944) << "clipping risk";
    EXPECT_GT(peak, 0.25) << "far below full scale";
    EXPECT_LT(std::fabs(Mean(wav.mono)), 0.002) << "DC offset";
}

TEST_P(SoundFileTest, JoinsWithoutAClick) {
    const Expected& e = GetParam();
    Wav wav;
    ASSERT_TRUE(ReadWav(kSoundDir + e.name, wav));
    ASSERT_GT(wav.mono.size(), 64u);
    const double first = wav.mono.front(), last = wav.mono.back();
    if (e.loop) {
        // The wrap from the last sample to the first must look like any other
        // step of the waveform there, not like a cut.
        const double seam = std::fabs(first - last);
        EXPECT_LE(seam, 1.5 * LargestStepAroundSeam(wav.mono, 16) + 0.002)
            << "seam " << seam << " (last " << last << ", first " << first << ")";
    } else {
        // One-shots start and stop in silence.
        EXPECT_LT(std::fabs(first), 0.01);
        EXPECT_LT(std::fabs(last), 0.01);
    }
}

TEST_P(SoundFileTest, LoadsWithTheGamesReader) {
    const Expected& e = GetParam();
    Wav wav;
    ASSERT_TRUE(ReadWav(kSoundDir + e.name, wav));
    FwPcmData pcm;
    std::string error;
    ASSERT_TRUE(FwLoadWav(kSoundDir + e.name, pcm, error)) << error;
    EXPECT_EQ(pcm.channels, wav.channels);
    EXPECT_EQ(pcm.sampleRate, wav.sampleRate);
    EXPECT_EQ(pcm.FrameCount(), wav.mono.size());
}

std::string SoundName(const ::testing::TestParamInfo<Expected>& info) {
    std::string n = info.param.name;
    n = n.substr(0, n.size() - 4);
    std::replace(n.begin(), n.end(), '/', '_');
    return n;
}

INSTANTIATE_TEST_SUITE_P(EverySound, SoundFileTest, ::testing::ValuesIn(kSounds), SoundName);

// A misspelt file name would leave the game silent for that sound; every WAV
// in the folder must be one the game asks for.
TEST(SoundFolder, HoldsOnlyTheSoundsTheGameLoads) {
    std::set<std::string> expected;
    for (const Expected& e : kSounds) expected.insert(e.name);
    std::set<std::string> found;
    ASSERT_TRUE(std::filesystem::is_directory(kSoundDir)) << kSoundDir;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kSoundDir)) {
        if (entry.path().extension() == ".wav") {
            found.insert(std::filesystem::relative(entry.path(), kSoundDir).generic_string());
        }
    }
    EXPECT_EQ(found, expected);
}

// The pieces share the music volume: keep each stage's within a few dB of
// the title's so switching scenes does not jump in loudness.
TEST(SoundFolder, EveryMusicHasSimilarLoudness) {
    auto rmsDb = [](const std::vector<double>& s) {
        double e = 0.0;
        for (double x : s) e += x * x;
        return 10.0 * std::log10(e / static_cast<double>(s.size()));
    };
    Wav title;
    ASSERT_TRUE(ReadWav(kSoundDir + "BGM.wav", title));
    const double a = rmsDb(title.mono);
    EXPECT_GT(a, -18.0) << "music too quiet for its 0.05 volume";
    for (const char* name : {"GameBGM.wav", "GameBGM_3.wav"}) {
        Wav game;
        ASSERT_TRUE(ReadWav(kSoundDir + name, game)) << name;
        const double b = rmsDb(game.mono);
        EXPECT_NEAR(a, b, 3.0) << name;
        EXPECT_GT(b, -18.0) << name << ": too quiet for its 0.05 volume";
    }
}

}  // namespace
