#include "framework/render/FwTexture.h"

#include "framework/resource/FwContentFile.h"

#include "framework/render/FwGLApi.h"
#include <stb_image.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "framework/render/FwGLState.h"
#include "framework/render/FwTextureReadback.h"
#include "framework/resource/FwLoadFailure.h"

namespace {

int MipLevels(int width, int height) {
    int levels = 1;
    for (int size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

int DeviceMaxSide() {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    return maxSize;
}

bool SizeFits(int width, int height) {
    const int maxSize = DeviceMaxSide();
    return width > 0 && height > 0 && width <= maxSize && height <= maxSize;
}

// The largest image side this device takes from a file.
int ImageMaxSide() { return std::min(DeviceMaxSide(), FwTexture::kMaxImageSide); }

constexpr uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

uint32_t ReadU32BE(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// The CRC-32 that closes every PNG chunk (the one zlib computes), over the
// chunk's type and data.
uint32_t ChunkCrc(const uint8_t* bytes, size_t size) {
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) c = table[(c ^ bytes[i]) & 0xFFu] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

struct PngHeader {
    uint32_t width = 0;
    uint32_t height = 0;
    int depth = 0;      // bits a channel (or a palette index)
    int colorType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
    bool interlaced = false;
    int Channels() const { return colorType == 2 ? 3 : colorType == 4 ? 2 : colorType == 6 ? 4 : 1; }
};

// The header chunk, first in the file (after the CgBI chunk of Apple's
// variant, which stb_image reads too). Its fields are checked here, because
// stb_image, refusing one, goes on to try other formats and reports "unknown
// image type" instead of the reason.
bool ReadPngHeader(const uint8_t* bytes, size_t size, PngHeader& header, std::string& error) {
    size_t offset = 8;
    if (size - offset >= 8 && std::memcmp(bytes + offset + 4, "CgBI", 4) == 0) {
        const uint32_t length = ReadU32BE(bytes + offset);
        offset = length <= size - offset - 12 ? offset + 12 + length : size;
    }
    if (size - offset < 8 + 13 || std::memcmp(bytes + offset + 4, "IHDR", 4) != 0 ||
        ReadU32BE(bytes + offset) != 13) {
        error = "damaged PNG header (the file does not start with a header chunk)";
        return false;
    }
    const uint8_t* field = bytes + offset + 8;
    header.width = ReadU32BE(field);
    header.height = ReadU32BE(field + 4);
    header.depth = field[8];
    header.colorType = field[9];
    header.interlaced = field[12] == 1;
    if (header.width == 0 || header.height == 0) {
        error = "damaged PNG header (a zero size: " + std::to_string(header.width) + " x " +
                std::to_string(header.height) + " pixels)";
        return false;
    }
    const int d = header.depth;
    bool depthFits = false;
    switch (header.colorType) {
        case 0: depthFits = d == 1 || d == 2 || d == 4 || d == 8 || d == 16; break;
        case 3: depthFits = d == 1 || d == 2 || d == 4 || d == 8; break;
        case 2: case 4: case 6: depthFits = d == 8 || d == 16; break;
        default: break;
    }
    if (!depthFits) {
        error = "damaged PNG header (colour type " + std::to_string(header.colorType) + " at " + std::to_string(d) +
                " bits)";
        return false;
    }
    if (field[10] != 0 || field[11] != 0 || field[12] > 1) {
        error = "damaged PNG header (an unknown compression, filter or interlace method)";
        return false;
    }
    return true;
}

constexpr uint64_t kPassX0[7] = {0, 4, 0, 2, 0, 1, 0}, kPassY0[7] = {0, 0, 4, 0, 2, 0, 1};
constexpr uint64_t kPassDx[7] = {8, 8, 4, 4, 2, 2, 1}, kPassDy[7] = {8, 8, 8, 4, 4, 2, 2};

// Width and height of interlace pass `pass` of an image (0 when it is empty).
std::pair<uint64_t, uint64_t> PassSize(uint64_t width, uint64_t height, int pass) {
    if (width <= kPassX0[pass] || height <= kPassY0[pass]) return {0, 0};
    return {(width - kPassX0[pass] + kPassDx[pass] - 1) / kPassDx[pass],
            (height - kPassY0[pass] + kPassDy[pass] - 1) / kPassDy[pass]};
}

// Filtered bytes of a PNG's pixel data (every row with its filter byte, the
// seven interlace passes in turn when interlaced), from the header fields.
uint64_t RawPixelBytes(const PngHeader& header) {
    const uint64_t bitsPerPixel = uint64_t(header.depth) * uint64_t(header.Channels());
    auto rows = [bitsPerPixel](uint64_t w, uint64_t h) { return w == 0 ? 0 : h * (1 + (w * bitsPerPixel + 7) / 8); };
    if (!header.interlaced) return rows(header.width, header.height);
    uint64_t total = 0;
    for (int pass = 0; pass < 7; ++pass) {
        const auto [w, h] = PassSize(header.width, header.height, pass);
        total += rows(w, h);
    }
    return total;
}

// The most memory decoding this PNG holds at once, from its header and the
// sizes of the file and of its compressed pixel data: the file's bytes, and
// the largest of
// - the check of the pixel data below: the compressed data gathered in one
//   piece and the inflated rows (stb_image's own inflating holds the same);
// - stb_image building the image: the inflated rows and the image at the
//   file's depth (RGB gains its alpha here; grey keeps one channel, two with
//   a transparent colour, counted as two; a palette image its indices), with
//   the largest interlace pass besides, and a palette image's RGBA texels;
// - that image and its four-channel copy (grey, grey and alpha);
// - a 16-bit four-channel image and its 8-bit copy.
// Depth and interlacing change it several times over: 4096 x 4096 RGBA
// takes 128 MiB at 8 bits, 256 MiB at 16 and 320 MiB interlaced at 16.
uint64_t DecodeWorkingSet(const PngHeader& header, uint64_t fileBytes, uint64_t compressedBytes) {
    const uint64_t texels = uint64_t(header.width) * header.height;
    const uint64_t bytesPerChannel = header.depth == 16 ? 2 : 1;
    const uint64_t channels = header.colorType == 3 ? 1 : header.colorType == 2 || header.colorType == 6 ? 4 : 2;
    const uint64_t image = texels * channels * bytesPerChannel;
    const uint64_t raw = RawPixelBytes(header);
    uint64_t largestPass = 0;
    if (header.interlaced)
        for (int pass = 0; pass < 7; ++pass) {
            const auto [w, h] = PassSize(header.width, header.height, pass);
            largestPass = std::max(largestPass, w * h * channels * bytesPerChannel);
        }
    const uint64_t build = raw + image + largestPass + (header.colorType == 3 ? texels * 4 : 0);
    const uint64_t widen = channels == 2 ? image + texels * 4 * bytesPerChannel : 0;
    const uint64_t narrow = bytesPerChannel == 2 ? texels * 4 * 3 : 0;
    return fileBytes + std::max({compressedBytes + raw + 1, build, widen, narrow});
}

uint64_t RoundedMiB(uint64_t bytes) { return (bytes + (1u << 19)) >> 20; }

// What stb_image does not check before it spends memory: it grows a buffer
// to each chunk's declared length before reading the chunk, and inflates the
// pixel data however far it goes (up to gigabytes from a file of a few
// kilobytes, whatever the header's size), and it skips the chunks'
// checksums. Here every chunk must fit in the file and carry the right
// checksum, decoding must fit in FwTexture::kMaxDecodeBytes, and the pixel
// data must inflate to exactly the bytes the header's size needs, checked in
// a buffer of that size. Runs after the header has been read and accepted.
bool CheckPngData(const uint8_t* bytes, size_t size, const PngHeader& header, std::string& error) {
    uint64_t compressedBytes = 0;
    bool sawData = false;
    bool checksumsRight = true;
    bool noZlibHeader = false;  // Apple's CgBI variant
    for (size_t offset = 8; size - offset >= 8;) {
        const uint32_t length = ReadU32BE(bytes + offset);
        const uint8_t* type = bytes + offset + 4;
        const bool end = std::memcmp(type, "IEND", 4) == 0;
        // A file may end inside the closing chunk's checksum, as other
        // readers accept; every other chunk must be there whole.
        if (length > size - offset - 8 || (size - offset - 8 - length < 4 && !end)) {
            error = "damaged PNG file (a chunk runs past the end of the file)";
            return false;
        }
        if (std::memcmp(type, "IDAT", 4) == 0) {
            if (length == 0 && !sawData) {
                // stb_image copies it into a buffer it has not made yet (a null pointer).
                error = "damaged PNG file (an empty first pixel data chunk)";
                return false;
            }
            sawData = true;
            compressedBytes += length;
        }
        if (std::memcmp(type, "CgBI", 4) == 0) noZlibHeader = true;
        if (size - offset - 8 - length < 4) break;
        if (ChunkCrc(type, size_t(length) + 4) != ReadU32BE(type + 4 + length)) checksumsRight = false;
        if (end) break;
        offset += 12 + size_t(length);
    }
    // Reported after the checks above, which name a fault more precisely.
    if (!checksumsRight) {
        error = "damaged PNG file (a chunk's checksum is wrong)";
        return false;
    }
    const uint64_t expected = RawPixelBytes(header);
    if (expected == 0 || expected >= uint64_t(std::numeric_limits<int>::max()) || compressedBytes == 0 ||
        compressedBytes > uint64_t(std::numeric_limits<int>::max())) {
        error = "damaged PNG file (no usable pixel data)";
        return false;
    }
    const uint64_t workingSet = DecodeWorkingSet(header, size, compressedBytes);
    if (workingSet > FwTexture::kMaxDecodeBytes) {
        error = "decoding the image (" + std::to_string(header.width) + " x " + std::to_string(header.height) +
                " pixels, " + std::to_string(header.depth) + " bits" + (header.interlaced ? ", interlaced" : "") +
                ") would take " + std::to_string(RoundedMiB(workingSet)) + " MiB; at most " +
                std::to_string(RoundedMiB(FwTexture::kMaxDecodeBytes)) + " MiB is accepted";
        return false;
    }

    std::vector<uint8_t> compressed;
    compressed.reserve(size_t(compressedBytes));
    for (size_t offset = 8; size - offset >= 12;) {
        const uint32_t length = ReadU32BE(bytes + offset);
        const uint8_t* type = bytes + offset + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) compressed.insert(compressed.end(), type + 4, type + 4 + length);
        if (std::memcmp(type, "IEND", 4) == 0) break;
        offset += 12 + size_t(length);
    }
    // One byte more than needed: a stream that fills it holds too much. Not
    // zeroed first: memory is only touched as far as the data inflates.
    const int room = int(expected) + 1;
    const std::unique_ptr<char[]> inflated(new char[size_t(room)]);
    const auto in = reinterpret_cast<const char*>(compressed.data());
    const int out = noZlibHeader
                        ? stbi_zlib_decode_noheader_buffer(inflated.get(), room, in, int(compressed.size()))
                        : stbi_zlib_decode_buffer(inflated.get(), room, in, int(compressed.size()));
    if (out < 0 || uint64_t(out) != expected) {
        error = out < 0 || uint64_t(out) > expected
                    ? "damaged PNG file (the pixel data is corrupt or larger than the image)"
                    : "damaged PNG file (not enough pixel data)";
        return false;
    }
    return true;
}

// One mipmap level from the one above it, texel for texel what the graphics
// driver's own mipmap generation gives (Mesa's software rasteriser: each
// texel of the smaller level samples the larger one bilinearly at its
// centre, with weights and interpolation in 8-bit fixed point, rounded).
// Built here instead because the driver compiles its generation shaders on
// first use, which costs tens of milliseconds in the first scene's load.
void DownsampleLevel(const uint8_t* src, int srcW, int srcH, uint8_t* dst, int dstW, int dstH) {
    // Exact halving (the common case): every weight is one half.
    auto half = [](int a, int b) { return a + ((b - a + 1) >> 1); };
    if (srcW == 2 * dstW && srcH == 2 * dstH) {
        for (int y = 0; y < dstH; ++y) {
            const uint8_t* top = src + size_t(2 * y) * size_t(srcW) * 4;
            const uint8_t* bottom = top + size_t(srcW) * 4;
            uint8_t* out = dst + size_t(y) * size_t(dstW) * 4;
            for (int x = 0; x < dstW * 4; x += 4) {
                const int left = 2 * x;
                for (int c = 0; c < 4; ++c) {
                    const int upper = half(top[left + c], top[left + 4 + c]);
                    const int lower = half(bottom[left + c], bottom[left + 4 + c]);
                    out[x + c] = uint8_t(half(upper, lower));
                }
            }
        }
        return;
    }
    // Odd sizes: the sample position in 1/256 texel, as the driver computes it.
    auto position = [](int i, int dstSize, int srcSize) {
        const float centre = (float(i) + 0.5f) / float(dstSize);
        return int(std::lround(centre * float(srcSize) * 256.0f)) - 128;
    };
    auto lerp = [](int a, int b, int w) { return a + (((b - a) * w + 128) >> 8); };
    for (int y = 0; y < dstH; ++y) {
        const int v = position(y, dstH, srcH);
        const int wy = v & 255;
        const int y0 = std::clamp(v >> 8, 0, srcH - 1), y1 = std::clamp((v >> 8) + 1, 0, srcH - 1);
        for (int x = 0; x < dstW; ++x) {
            const int u = position(x, dstW, srcW);
            const int wx = u & 255;
            const int x0 = std::clamp(u >> 8, 0, srcW - 1), x1 = std::clamp((u >> 8) + 1, 0, srcW - 1);
            auto texel = [&](int tx, int ty, int c) { return int(src[(size_t(ty) * size_t(srcW) + size_t(tx)) * 4 + size_t(c)]); };
            for (int c = 0; c < 4; ++c) {
                const int upper = lerp(texel(x0, y0, c), texel(x1, y0, c), wx);
                const int lower = lerp(texel(x0, y1, c), texel(x1, y1, c), wx);
                dst[(size_t(y) * size_t(dstW) + size_t(x)) * 4 + size_t(c)] = uint8_t(lerp(upper, lower, wy));
            }
        }
    }
}

bool AllOpaque(const uint8_t* rgba, size_t texels) {
    for (size_t i = 0; i < texels; ++i)
        if (rgba[i * 4 + 3] != 255) return false;
    return true;
}

// Reads and decodes an image file for this device; false with the reason.
bool LoadImageFile(const std::string& path, FwImage& image, std::vector<uint8_t>& bytes, std::string& error) {
    return FwReadBoundedFile(path, FwTexture::kMaxImageFileBytes, bytes, error) &&
           FwTexture::DecodePng(bytes.data(), bytes.size(), ImageMaxSide(), image, error);
}

// FNV-1a, 64 bits: with the byte count, what identifies a file's content in
// the shared-texture cache.
uint64_t ContentHash(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (uint8_t b : bytes) hash = (hash ^ b) * 1099511628211ull;
    return hash;
}

// LoadShared's cache. Entries do not keep textures alive; one from an older
// device generation names a GL texture of a context that is gone and is
// never handed out again.
struct SharedEntry {
    std::weak_ptr<FwTexture> texture;
    uint32_t generation = 0;
};
std::map<std::string, SharedEntry>& SharedByPath() {
    static std::map<std::string, SharedEntry> cache;
    return cache;
}
std::map<std::pair<uint64_t, size_t>, SharedEntry>& SharedByContent() {
    static std::map<std::pair<uint64_t, size_t>, SharedEntry> cache;
    return cache;
}
// Paths that failed to load, with the device generation they failed in:
// reported once, not read again while that device lives.
std::map<std::string, uint32_t>& FailedPaths() {
    static std::map<std::string, uint32_t> failed;
    return failed;
}
std::shared_ptr<FwTexture> Lookup(const SharedEntry* entry) {
    if (!entry || entry->generation != FwGL::Generation()) return nullptr;
    std::shared_ptr<FwTexture> texture = entry->texture.lock();
    return texture && !texture->IsEmpty() ? texture : nullptr;
}
template <class Map, class Key>
const SharedEntry* Find(const Map& map, const Key& key) {
    auto it = map.find(key);
    return it == map.end() ? nullptr : &it->second;
}

}  // namespace

std::shared_ptr<FwTexture> FwTexture::LoadShared(const std::string& path) {
    if (path.empty() || !FwGL::Live()) return nullptr;
    const std::string key = std::filesystem::path(path).lexically_normal().generic_string();
    if (auto texture = Lookup(Find(SharedByPath(), key))) return texture;

    if (auto failed = FailedPaths().find(key); failed != FailedPaths().end() && failed->second == FwGL::Generation())
        return nullptr;
    auto refuse = [&key, &path](const std::string& reason) {
        FailedPaths()[key] = FwGL::Generation();
        FwReportLoadFailure(path, reason, "the material goes without this image");
        return nullptr;
    };

    std::vector<uint8_t> bytes;
    std::string error;
    if (!FwReadBoundedFile(path, FwTexture::kMaxImageFileBytes, bytes, error)) return refuse(error);
    const std::pair<uint64_t, size_t> content{ContentHash(bytes), bytes.size()};
    std::shared_ptr<FwTexture> texture = Lookup(Find(SharedByContent(), content));
    if (!texture) {
        FwImage image;
        if (!DecodePng(bytes.data(), bytes.size(), ImageMaxSide(), image, error)) return refuse(error);
        texture = std::make_shared<FwTexture>();
        if (!texture->CreateFromPixels(image.width, image.height, image.rgba.get()))
            return refuse("the graphics device refused the image");
        texture->path_ = path;
        SharedByContent()[content] = {texture, FwGL::Generation()};
    }
    SharedByPath()[key] = {texture, FwGL::Generation()};
    return texture;
}

bool FwTexture::EnsureTarget(int width, int height, FwTextureFormat format) {
    if (!IsEmpty() && bottomUp_ && width_ == width && height_ == height && format_ == format &&
        FwGL::Owns(generation_))
        return true;
    return CreateTarget(width, height, format);
}

FwTexture::~FwTexture() { Release(); }

void FwImageFree::operator()(uint8_t* pixels) const { stbi_image_free(pixels); }

bool FwTexture::DecodePng(const uint8_t* bytes, size_t size, int maxSide, FwImage& image, std::string& error) {
    image = FwImage{};
    if (size < sizeof(kPngSignature) || std::memcmp(bytes, kPngSignature, sizeof(kPngSignature)) != 0) {
        error = "not a PNG file";
        return false;
    }
    if (size > static_cast<size_t>(std::numeric_limits<int>::max())) {
        error = "the file is too large";
        return false;
    }
    const int length = static_cast<int>(size);
    PngHeader header;
    if (!ReadPngHeader(bytes, size, header, error)) return false;
    if (header.width > uint32_t(maxSide) || header.height > uint32_t(maxSide)) {
        error = "the image is " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                " pixels; at most " + std::to_string(maxSide) + " x " + std::to_string(maxSide) + " is accepted";
        return false;
    }
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) {
        error = std::string("damaged PNG header (") + stbi_failure_reason() + ")";
        return false;
    }
    if (!CheckPngData(bytes, size, header, error)) return false;
    std::unique_ptr<uint8_t, FwImageFree> pixels(stbi_load_from_memory(bytes, length, &width, &height, &channels, 4));
    if (!pixels) {
        error = std::string("damaged PNG file (") + stbi_failure_reason() + ")";
        return false;
    }
    image.width = width;
    image.height = height;
    image.rgba = std::move(pixels);
    return true;
}

bool FwTexture::Load(const std::string& path, bool renderTarget, bool depthStencil, int /*option*/) {
    Release();
    // An image cannot become a depth target; refusing keeps the failure honest.
    if (path.empty() || depthStencil || !FwGL::Live()) return false;

    FwImage image;
    std::vector<uint8_t> bytes;
    std::string error;
    if (!LoadImageFile(path, image, bytes, error)) {
        FwReportLoadFailure(path, error, "an empty texture stands in");
        return false;
    }
    if (!CreateFromPixels(image.width, image.height, image.rgba.get())) {
        FwReportLoadFailure(path, "the graphics device refused the image", "an empty texture stands in");
        return false;
    }
    if (renderTarget) {
        GLuint fbo = 0;
        glCreateFramebuffers(1, &fbo);
        glNamedFramebufferTexture(fbo, GL_COLOR_ATTACHMENT0, handle_, 0);
        fbo_ = fbo;
        if (glCheckNamedFramebufferStatus(fbo, GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            Release();
            return false;
        }
    }
    path_ = path;
    return true;
}

bool FwTexture::CreateFromPixels(int width, int height, const uint8_t* rgba) {
    Release();
    if (!rgba || !FwGL::Live() || !SizeFits(width, height)) return false;

    GLuint tex = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &tex);
    if (tex == 0) return false;
    glTextureStorage2D(tex, MipLevels(width, height), GL_RGBA8, width, height);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    // First row of the data = row 0 = v 0: the image's top row sits at v = 0
    // as the game's texture coordinates expect.
    glTextureSubImage2D(tex, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    // The smaller levels, each from the one above, in two buffers used in turn.
    const int levels = MipLevels(width, height);
    if (levels > 1) {
        auto levelBytes = [width, height](int level) {
            return size_t(std::max(1, width >> level)) * size_t(std::max(1, height >> level)) * 4;
        };
        // Odd levels go to the first buffer, even ones to the second.
        std::vector<uint8_t> buffers[2] = {std::vector<uint8_t>(levelBytes(1)), std::vector<uint8_t>(levelBytes(2))};
        const uint8_t* above = rgba;
        int aboveW = width, aboveH = height;
        for (int level = 1; level < levels; ++level) {
            const int w = std::max(1, aboveW / 2), h = std::max(1, aboveH / 2);
            uint8_t* pixels = buffers[(level - 1) % 2].data();
            DownsampleLevel(above, aboveW, aboveH, pixels, w, h);
            glTextureSubImage2D(tex, level, 0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
            above = pixels;
            aboveW = w;
            aboveH = h;
        }
    }

    handle_ = tex;
    width_ = width;
    height_ = height;
    format_ = FwTextureFormat::RGBA8;
    bottomUp_ = false;
    opaque_ = AllOpaque(rgba, static_cast<size_t>(width) * height);
    generation_ = FwGL::Generation();
    return true;
}

bool FwTexture::CreateTarget(int width, int height, FwTextureFormat format) {
    Release();
    if (format == FwTextureFormat::None || !FwGL::Live() || !SizeFits(width, height)) return false;

    bool depth = format == FwTextureFormat::Depth32F;
    GLuint tex = 0;
    glCreateTextures(GL_TEXTURE_2D, 1, &tex);
    if (tex == 0) return false;
    glTextureStorage2D(tex, 1, depth ? GL_DEPTH_COMPONENT32F : GL_RGBA8, width, height);
    GLuint fbo = 0;
    glCreateFramebuffers(1, &fbo);
    glNamedFramebufferTexture(fbo, depth ? GL_DEPTH_ATTACHMENT : GL_COLOR_ATTACHMENT0, tex, 0);
    if (depth) {
        glNamedFramebufferDrawBuffer(fbo, GL_NONE);
        glNamedFramebufferReadBuffer(fbo, GL_NONE);
    }

    handle_ = tex;
    fbo_ = fbo;
    width_ = width;
    height_ = height;
    format_ = format;
    bottomUp_ = true;
    generation_ = FwGL::Generation();
    if (glCheckNamedFramebufferStatus(fbo, GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        Release();
        return false;
    }
    return true;
}

void FwTexture::Release() {
    if (FwGL::Owns(generation_)) {
        GLuint fbo = fbo_, tex = handle_;
        if (fbo != 0) glDeleteFramebuffers(1, &fbo);
        if (tex != 0) glDeleteTextures(1, &tex);
    }
    handle_ = 0;
    fbo_ = 0;
    width_ = 0;
    height_ = 0;
    format_ = FwTextureFormat::None;
    path_.clear();
    bottomUp_ = false;
    opaque_ = false;
    generation_ = 0;
}

bool FwReadTextureLevel(const FwTexture& texture, int level, std::vector<uint8_t>& rgba, int& width, int& height) {
    if (texture.IsEmpty() || texture.Format() != FwTextureFormat::RGBA8 || texture.BottomUp() || level < 0 ||
        level >= MipLevels(texture.Width(), texture.Height()))
        return false;
    width = std::max(1, texture.Width() >> level);
    height = std::max(1, texture.Height() >> level);
    rgba.assign(size_t(width) * size_t(height) * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureImage(texture.Handle(), level, GL_RGBA, GL_UNSIGNED_BYTE, GLsizei(rgba.size()), rgba.data());
    return true;
}
