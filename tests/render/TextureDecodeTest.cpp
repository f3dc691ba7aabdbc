// FwTexture::DecodePng without a GPU: only PNG is decoded, the size in the
// header is checked before anything is decoded, and the files that once made
// the image decoder write past an array or decode gigabytes are refused by
// their signature.
#include <gtest/gtest.h>
#include <stb_image_write.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "framework/render/FwTexture.h"

namespace {

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The PNG stb_image_write makes of RGBA texels.
std::vector<uint8_t> Png(int width, int height, const std::vector<uint8_t>& rgba) {
    std::vector<uint8_t> out;
    stbi_write_png_to_func(
        [](void* context, void* data, int size) {
            auto* bytes = static_cast<std::vector<uint8_t>*>(context);
            bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
        },
        &out, width, height, 4, rgba.data(), width * 4);
    return out;
}

// Big-endian 32-bit value at offset (PNG header fields).
void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// The checksum closing a PNG chunk, over bytes [from, to) of the file.
uint32_t Crc(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = from; i < to; ++i) {
        c ^= bytes[i];
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

// A PNG with the given header fields, pixel data `data` and right checksums.
std::vector<uint8_t> HandMadePng(uint32_t width, uint32_t height, uint8_t depth, uint8_t colour, bool interlaced,
                                 const std::vector<uint8_t>& data) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&png](const char* type, const std::vector<uint8_t>& body) {
        const size_t start = png.size();
        png.resize(start + 4);
        PutU32(png, start, static_cast<uint32_t>(body.size()));
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), body.begin(), body.end());
        png.resize(png.size() + 4);
        PutU32(png, png.size() - 4, Crc(png, start + 4, png.size() - 4));
    };
    std::vector<uint8_t> header(13, 0);
    PutU32(header, 0, width);
    PutU32(header, 4, height);
    header[8] = depth;
    header[9] = colour;
    header[12] = interlaced ? 1 : 0;
    chunk("IHDR", header);
    chunk("IDAT", data);
    chunk("IEND", {});
    return png;
}

bool Decode(const std::vector<uint8_t>& bytes, int maxSide, FwImage& image, std::string& error) {
    error.clear();
    return FwTexture::DecodePng(bytes.data(), bytes.size(), maxSide, image, error);
}

}  // namespace

TEST(TextureDecode, APngDecodesToRgbaTopRowFirst) {
    const std::vector<uint8_t> texels = {255, 0, 0, 255, 0, 255, 0, 128, 0, 0, 255, 0, 10, 20, 30, 40};
    FwImage image;
    std::string error;
    ASSERT_TRUE(Decode(Png(2, 2, texels), FwTexture::kMaxImageSide, image, error)) << error;
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    ASSERT_TRUE(image.rgba);
    EXPECT_EQ(std::vector<uint8_t>(image.rgba.get(), image.rgba.get() + 16), texels);
}

// The reproducers, kept for the image fuzz target: a JPEG whose
// Huffman table overflowed the decoder, a TGA header declaring 16384 x 16384
// pixels, a PNM header whose size overflowed. None reaches a decoder.
TEST(TextureDecode, OtherFormatsAreRefusedByTheSignature) {
    const std::filesystem::path folder = std::filesystem::path(GV_SOURCE_DIR) / "tests/fuzz/regressions/image";
    for (const char* name : {"jpeg-huffman-overflow.jpg", "tga-16384-bomb.tga", "pnm-header-overflow.ppm"}) {
        SCOPED_TRACE(name);
        const std::vector<uint8_t> bytes = ReadBytes(folder / name);
        ASSERT_FALSE(bytes.empty());
        FwImage image;
        std::string error;
        EXPECT_FALSE(Decode(bytes, FwTexture::kMaxImageSide, image, error));
        EXPECT_EQ(error, "not a PNG file");
        EXPECT_FALSE(image.rgba);
    }
    FwImage image;
    std::string error;
    EXPECT_FALSE(Decode({}, FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "not a PNG file");
    EXPECT_FALSE(Decode({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A}, FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "not a PNG file");
}

// The size is read from the header first: an image over the limit is refused
// whatever its data, and the limit given is the one applied.
TEST(TextureDecode, SizesOverTheLimitAreRefusedFromTheHeader) {
    FwImage image;
    std::string error;
    const std::vector<uint8_t> small = Png(4, 2, std::vector<uint8_t>(32, 7));
    EXPECT_TRUE(Decode(small, 4, image, error)) << error;
    EXPECT_FALSE(Decode(small, 3, image, error));
    EXPECT_EQ(error, "the image is 4 x 2 pixels; at most 3 x 3 is accepted");
    EXPECT_FALSE(image.rgba);

    // The same file claiming 16384 x 16384 (header checksum mended, so only
    // the size is wrong): refused before any pixel is decoded.
    std::vector<uint8_t> bomb = small;
    PutU32(bomb, 16, 16384);
    PutU32(bomb, 20, 16384);
    PutU32(bomb, 29, Crc(bomb, 12, 29));
    EXPECT_FALSE(Decode(bomb, FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "the image is 16384 x 16384 pixels; at most 4096 x 4096 is accepted");

    // A zero width or height is named as such (the decoder's own refusal
    // said "unknown image type").
    const std::filesystem::path folder = std::filesystem::path(GV_SOURCE_DIR) / "tests/fuzz/regressions/image";
    EXPECT_FALSE(Decode(ReadBytes(folder / "zero-width.png"), FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "damaged PNG header (a zero size: 0 x 16 pixels)");
    PutU32(bomb, 16, 4);
    PutU32(bomb, 20, 0);
    PutU32(bomb, 29, Crc(bomb, 12, 29));
    EXPECT_FALSE(Decode(bomb, FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "damaged PNG header (a zero size: 4 x 0 pixels)");
}

// Depth and interlacing multiply what decoding holds: the bound is computed
// from the header and the file's size, before anything is inflated. The
// hand-made files' pixel data is not even a zlib stream: an image within the
// bound gets as far as inflating it.
TEST(TextureDecode, DecodeMemoryIsBoundedWhateverTheDepth) {
    const std::filesystem::path folder = std::filesystem::path(GV_SOURCE_DIR) / "tests/fuzz/regressions/image";
    FwImage image;
    std::string error;
    EXPECT_FALSE(Decode(ReadBytes(folder / "rgba16-4096x4096-zeros.png"), FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error,
              "decoding the image (4096 x 4096 pixels, 16 bits) would take 256 MiB; at most 149 MiB is accepted");
    EXPECT_FALSE(Decode(ReadBytes(folder / "rgba16-4096x4096-zeros-interlaced.png"), FwTexture::kMaxImageSide, image,
                        error));
    EXPECT_EQ(error,
              "decoding the image (4096 x 4096 pixels, 16 bits, interlaced) would take 320 MiB; at most 149 MiB is "
              "accepted");
    EXPECT_FALSE(image.rgba);

    const std::string corrupt = "damaged PNG file (the pixel data is corrupt or larger than the image)";
    const std::vector<uint8_t> data(64, 0x55);
    struct Case {
        uint32_t side;
        uint8_t depth, colour;
        bool interlaced, fits;
    };
    for (const Case& c : {Case{4096, 8, 6, false, true},  // the largest image, 128 MiB
                          Case{4096, 8, 6, true, false},  // the passes besides, 160 MiB
                          Case{4096, 8, 2, true, true},   // RGB: 144 MiB
                          Case{3000, 16, 6, false, true}, Case{3200, 16, 6, false, false},
                          Case{4096, 16, 0, false, false}, Case{3500, 16, 0, false, true},
                          Case{4096, 4, 0, true, true}}) {
        SCOPED_TRACE(std::to_string(c.side) + " " + std::to_string(c.depth) + " bits, colour type " +
                     std::to_string(c.colour) + (c.interlaced ? ", interlaced" : ""));
        EXPECT_FALSE(Decode(HandMadePng(c.side, c.side, c.depth, c.colour, c.interlaced, data),
                            FwTexture::kMaxImageSide, image, error));
        if (c.fits)
            EXPECT_EQ(error, corrupt);
        else
            EXPECT_NE(error.find("at most 149 MiB is accepted"), std::string::npos) << error;
    }

    // A 16-bit image within the bound decodes, to 8 bits a channel.
    const std::vector<uint8_t> grey16 =
        ReadBytes(std::filesystem::path(GV_SOURCE_DIR) / "tests/fuzz/corpus/image/gray16-2x1.png");
    ASSERT_TRUE(Decode(grey16, FwTexture::kMaxImageSide, image, error)) << error;
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 1);
}

TEST(TextureDecode, DamagedPngsAreRefusedWithAReason) {
    const std::vector<uint8_t> good = Png(3, 3, std::vector<uint8_t>(36, 200));
    FwImage image;
    std::string error;
    // Every cut before the closing 12-byte IEND chunk (a missing trailer
    // after complete pixel data is accepted, as other readers do).
    for (size_t size = 8; size < good.size() - 12; ++size) {
        const std::vector<uint8_t> cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_FALSE(Decode(cut, FwTexture::kMaxImageSide, image, error)) << "size " << size;
        EXPECT_FALSE(error.empty()) << "size " << size;
        EXPECT_FALSE(image.rgba) << "size " << size;
    }
    std::vector<uint8_t> header = good;
    header[12] = 'X';  // the first chunk is no longer IHDR
    EXPECT_FALSE(Decode(header, FwTexture::kMaxImageSide, image, error));
    EXPECT_NE(error.find("damaged PNG header"), std::string::npos) << error;

    // A wrong checksum in any chunk (the header, the pixel data, the end),
    // and in all of them (the decoder itself never looks).
    for (size_t end : {size_t(33), good.size() - 12, good.size()}) {
        std::vector<uint8_t> damaged = good;
        damaged[end - 1] ^= 1;
        EXPECT_FALSE(Decode(damaged, FwTexture::kMaxImageSide, image, error)) << "chunk ending at " << end;
        EXPECT_EQ(error, "damaged PNG file (a chunk's checksum is wrong)");
    }
    const std::filesystem::path folder = std::filesystem::path(GV_SOURCE_DIR) / "tests/fuzz/regressions/image";
    EXPECT_FALSE(Decode(ReadBytes(folder / "every-checksum-wrong.png"), FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "damaged PNG file (a chunk's checksum is wrong)");
}

// What the decoder would spend memory on before noticing a fault: a chunk
// declaring more bytes than the file holds (the decoder grew its buffer to
// it first), and pixel data inflating to far more than the header's size
// (the decoder inflated all of it, gigabytes from a small file).
TEST(TextureDecode, PixelDataMustFitTheFileAndTheImage) {
    const std::filesystem::path folder = std::filesystem::path(GV_SOURCE_DIR) / "tests/fuzz/regressions/image";
    FwImage image;
    std::string error;
    EXPECT_FALSE(Decode(ReadBytes(folder / "idat-chunk-declares-1gb.png"), FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "damaged PNG file (a chunk runs past the end of the file)");
    EXPECT_FALSE(Decode(ReadBytes(folder / "zlib-bomb-1x1-inflates-64mb.png"), FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "damaged PNG file (the pixel data is corrupt or larger than the image)");
    EXPECT_FALSE(image.rgba);
    // Found by fuzzing: an empty first pixel data chunk, which the decoder
    // copied into a buffer it had not made yet.
    EXPECT_FALSE(Decode(ReadBytes(folder / "empty-first-idat-chunk.png"), FwTexture::kMaxImageSide, image, error));
    EXPECT_EQ(error, "damaged PNG file (an empty first pixel data chunk)");

    // An interlaced image passes the same check (seven passes of rows).
    std::vector<uint8_t> interlaced = ReadBytes(std::filesystem::path(GV_SOURCE_DIR) /
                                                "tests/fuzz/corpus/image/rgba-5x3-interlaced.png");
    ASSERT_FALSE(interlaced.empty());
    EXPECT_TRUE(Decode(interlaced, FwTexture::kMaxImageSide, image, error)) << error;
    EXPECT_EQ(image.width, 5);
    EXPECT_EQ(image.height, 3);
    EXPECT_EQ(image.rgba.get()[4 * 14 + 0], 14);  // last texel, red = its index
}
