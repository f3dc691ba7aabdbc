// FwLoadWav: SDL's WAV reader (used without SDL_Init: this test never
// initialises SDL) converting to 16-bit PCM; broken files are refused with a
// reason.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "framework/audio/FwAudioDevice.h"
#include "tests/audio/AudioTestSupport.h"

using namespace audiotest;

namespace {

bool Load(const std::string& path, FwPcmData& pcm, std::string& error) {
    error.clear();
    return FwLoadWav(path, pcm, error);
}

}  // namespace

TEST(Wav, SixteenBitSamplesArriveUnchanged) {
    TempDir dir;
    const std::vector<int16_t> samples = {0, 1, -1, 32767, -32768, 1234, -4321, 7};
    WriteBytes(dir.File("s16.wav"), WavBytes(2, 44100, 16, AsBytes(samples)));
    FwPcmData pcm;
    std::string error;
    ASSERT_TRUE(Load(dir.File("s16.wav"), pcm, error)) << error;
    EXPECT_EQ(pcm.channels, 2);
    EXPECT_EQ(pcm.sampleRate, 44100);
    EXPECT_EQ(pcm.FrameCount(), 4u);
    EXPECT_EQ(pcm.samples, samples);
}

TEST(Wav, OtherSampleFormatsAreConvertedTo16Bit) {
    TempDir dir;
    FwPcmData pcm;
    std::string error;
    // Unsigned 8-bit: 128 is silence, 0 the most negative value.
    WriteBytes(dir.File("u8.wav"), WavBytes(1, 8000, 8, {128, 0, 255, 64}));
    ASSERT_TRUE(Load(dir.File("u8.wav"), pcm, error)) << error;
    EXPECT_EQ(pcm.sampleRate, 8000);
    EXPECT_EQ(pcm.samples, (std::vector<int16_t>{0, -32768, 32511, -16383}));
    // 32-bit float (format tag 3).
    WriteBytes(dir.File("f32.wav"), WavBytes(1, 22050, 32, AsBytes(std::vector<float>{0.5f, -1.0f, 1.0f, 0.0f}), 3));
    ASSERT_TRUE(Load(dir.File("f32.wav"), pcm, error)) << error;
    ASSERT_EQ(pcm.samples.size(), 4u);
    EXPECT_NEAR(pcm.samples[0], 16384, 1);
    EXPECT_EQ(pcm.samples[1], -32768);
    EXPECT_EQ(pcm.samples[2], 32767);
    EXPECT_EQ(pcm.samples[3], 0);
}

// Cut after any byte, the file is refused; the output is left untouched.
TEST(Wav, EveryTruncationIsRefused) {
    TempDir dir;
    const std::vector<uint8_t> wav = MonoWav(8000, 64);
    for (size_t size = 0; size < wav.size(); ++size) {
        WriteBytes(dir.File("cut.wav"), std::vector<uint8_t>(wav.begin(), wav.begin() + size));
        FwPcmData pcm;
        pcm.sampleRate = 1234;
        std::string error;
        EXPECT_FALSE(Load(dir.File("cut.wav"), pcm, error)) << "size " << size;
        EXPECT_FALSE(error.empty()) << "size " << size;
        EXPECT_EQ(pcm.sampleRate, 1234);
        EXPECT_TRUE(pcm.samples.empty());
    }
}

TEST(Wav, CorruptOrUnsupportedFilesAreRefusedWithAReason) {
    TempDir dir;
    auto refused = [&dir](const std::string& name, const std::vector<uint8_t>& bytes, const std::string& reason) {
        SCOPED_TRACE(name);
        WriteBytes(dir.File(name), bytes);
        FwPcmData pcm;
        std::string error;
        EXPECT_FALSE(Load(dir.File(name), pcm, error));
        EXPECT_NE(error.find(reason), std::string::npos) << error;
    };
    std::vector<uint8_t> notRiff = MonoWav(8000, 16);
    notRiff[0] = 'X';
    refused("notriff.wav", notRiff, "RIFF");
    refused("fivechannels.wav", WavBytes(5, 8000, 16, std::vector<uint8_t>(40, 0)), "5 channels");
    refused("nochannels.wav", WavBytes(0, 8000, 16, std::vector<uint8_t>(40, 0)), "channels");
    refused("norate.wav", WavBytes(1, 0, 16, std::vector<uint8_t>(40, 0)), "sample rate");
    refused("mpeg.wav", WavBytes(1, 8000, 16, std::vector<uint8_t>(40, 0), 0x55), "not supported");
    refused("halfsample.wav", WavBytes(1, 8000, 16, {1, 2, 3}), "Truncated");
    refused("empty.wav", WavBytes(1, 8000, 16, {}), "no samples");
    refused("text.wav", {'h', 'e', 'l', 'l', 'o'}, "not a readable WAV");

    FwPcmData pcm;
    std::string error;
    EXPECT_FALSE(Load(dir.File("missing.wav"), pcm, error));
    EXPECT_NE(error.find("no such file"), std::string::npos) << error;
}

// A chunk declaring more bytes than the file holds is refused before SDL
// sees it (SDL allocated the declared length first: gigabytes for a 52-byte
// file); a short data chunk is refused all the same.
TEST(Wav, ChunksLongerThanTheFileAreRefusedUnallocated) {
    TempDir dir;
    std::vector<uint8_t> wav = MonoWav(8000, 16);
    const size_t data = 36;  // "data" follows the 16-byte format chunk
    ASSERT_EQ(std::string(wav.begin() + data, wav.begin() + data + 4), "data");
    for (uint32_t length : {0xC8008080u, uint32_t(wav.size())}) {
        for (int i = 0; i < 4; ++i) wav[data + 4 + i] = uint8_t(length >> (8 * i));
        WriteBytes(dir.File("long.wav"), wav);
        FwPcmData pcm;
        std::string error;
        EXPECT_FALSE(Load(dir.File("long.wav"), pcm, error));
        EXPECT_EQ(error, "the 'data' chunk runs past the end of the file (truncated or damaged)");
    }
    std::vector<uint8_t> format = MonoWav(8000, 16);
    format[16] = 0xFF;  // the format chunk claims more than the file
    WriteBytes(dir.File("fmt.wav"), format);
    FwPcmData pcm;
    std::string error;
    EXPECT_FALSE(Load(dir.File("fmt.wav"), pcm, error));
    EXPECT_EQ(error, "the 'fmt ' chunk runs past the end of the file (truncated or damaged)");

    // SDL also reads a file that starts at "WAVE", without the RIFF header:
    // the same rule holds there.
    std::vector<uint8_t> bare(wav.begin() + 8, wav.end());
    WriteBytes(dir.File("bare.wav"), bare);
    EXPECT_FALSE(Load(dir.File("bare.wav"), pcm, error));
    EXPECT_EQ(error, "the 'data' chunk runs past the end of the file (truncated or damaged)");
}

// Only a regular file of bounded size is read: a pipe in the sound's place
// is refused at once instead of blocking the game, a folder too, and a file
// past the size limit is refused unread.
TEST(Wav, PipesFoldersAndOversizedFilesAreRefusedUnread) {
    TempDir dir;
    FwPcmData pcm;
    std::string error;
    ASSERT_EQ(::mkfifo(dir.File("pipe.wav").c_str(), 0600), 0);
    EXPECT_FALSE(Load(dir.File("pipe.wav"), pcm, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;
    std::filesystem::create_directory(dir.File("folder.wav"));
    EXPECT_FALSE(Load(dir.File("folder.wav"), pcm, error));
    EXPECT_NE(error.find("not a regular file"), std::string::npos) << error;

    WriteBytes(dir.File("huge.wav"), MonoWav(8000, 64));
    std::filesystem::resize_file(dir.File("huge.wav"), FwWavLimits::kMaxFileBytes + 1);  // sparse
    EXPECT_FALSE(Load(dir.File("huge.wav"), pcm, error));
    EXPECT_NE(error.find("larger than"), std::string::npos) << error;
}
