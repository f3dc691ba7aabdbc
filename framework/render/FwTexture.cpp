#include "framework/render/FwTexture.h"

#include "framework/resource/FwContentFile.h"

#include <epoxy/gl.h>
#include <stb_image.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include "framework/render/FwGLState.h"
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

// Filtered bytes of a PNG's pixel data (every row with its filter byte, the
// seven interlace passes in turn when interlaced), from the header fields.
uint64_t RawPixelBytes(uint64_t width, uint64_t height, uint64_t bitsPerPixel, bool interlaced) {
    auto rows = [bitsPerPixel](uint64_t w, uint64_t h) { return w == 0 ? 0 : h * (1 + (w * bitsPerPixel + 7) / 8); };
    if (!interlaced) return rows(width, height);
    const uint64_t x0[7] = {0, 4, 0, 2, 0, 1, 0}, y0[7] = {0, 0, 4, 0, 2, 0, 1};
    const uint64_t dx[7] = {8, 8, 4, 4, 2, 2, 1}, dy[7] = {8, 8, 8, 4, 4, 2, 2};
    uint64_t total = 0;
    for (int pass = 0; pass < 7; ++pass)
        if (width > x0[pass] && height > y0[pass])
            total += rows((width - x0[pass] + dx[pass] - 1) / dx[pass], (height - y0[pass] + dy[pass] - 1) / dy[pass]);
    return total;
}

// What stb_image does not check before it spends memory: it grows a buffer
// to each chunk's declared length before reading the chunk, and inflates the
// pixel data however far it goes (up to gigabytes from a file of a few
// kilobytes, whatever the header's size). Here every chunk must fit in the
// file, and the pixel data must inflate to exactly the bytes the header's
// size needs, checked in a buffer of that size. Runs after stbi_info has
// accepted the header.
bool CheckPngData(const uint8_t* bytes, size_t size, std::string& error) {
    std::vector<uint8_t> compressed;
    const uint8_t* header = nullptr;
    bool noZlibHeader = false;  // Apple's CgBI variant, which stb_image reads too
    for (size_t offset = 8; size - offset >= 8;) {
        const uint32_t length = ReadU32BE(bytes + offset);
        const uint8_t* type = bytes + offset + 4;
        if (length > size - offset - 8) {
            error = "damaged PNG file (a chunk runs past the end of the file)";
            return false;
        }
        if (std::memcmp(type, "IDAT", 4) == 0 && length == 0 && compressed.empty()) {
            // stb_image copies it into a buffer it has not made yet (a null pointer).
            error = "damaged PNG file (an empty first pixel data chunk)";
            return false;
        }
        if (std::memcmp(type, "IHDR", 4) == 0 && length == 13 && !header) header = type + 4;
        if (std::memcmp(type, "IDAT", 4) == 0) compressed.insert(compressed.end(), type + 4, type + 4 + length);
        if (std::memcmp(type, "CgBI", 4) == 0) noZlibHeader = true;
        if (std::memcmp(type, "IEND", 4) == 0 || size - offset - 8 - length < 4) break;
        offset += 12 + size_t(length);
    }
    if (!header) {
        error = "damaged PNG file (no header chunk)";
        return false;
    }
    const int channels[7] = {1, 0, 3, 1, 2, 0, 4};  // by colour type
    const uint8_t colorType = header[9];
    const uint64_t bitsPerPixel = uint64_t(header[8]) * uint64_t(colorType < 7 ? channels[colorType] : 0);
    const uint64_t expected = RawPixelBytes(ReadU32BE(header), ReadU32BE(header + 4), bitsPerPixel, header[12] != 0);
    if (expected == 0 || expected >= uint64_t(std::numeric_limits<int>::max()) || compressed.empty() ||
        compressed.size() > size_t(std::numeric_limits<int>::max())) {
        error = "damaged PNG file (no usable pixel data)";
        return false;
    }
    // One byte more than needed: a stream that fills it holds too much.
    std::vector<char> inflated(static_cast<size_t>(expected) + 1);
    const auto in = reinterpret_cast<const char*>(compressed.data());
    const int out = noZlibHeader ? stbi_zlib_decode_noheader_buffer(inflated.data(), int(inflated.size()), in,
                                                                     int(compressed.size()))
                                 : stbi_zlib_decode_buffer(inflated.data(), int(inflated.size()), in,
                                                           int(compressed.size()));
    if (out < 0 || uint64_t(out) != expected) {
        error = out < 0 || uint64_t(out) > expected
                    ? "damaged PNG file (the pixel data is corrupt or larger than the image)"
                    : "damaged PNG file (not enough pixel data)";
        return false;
    }
    return true;
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
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, length, &width, &height, &channels)) {
        error = std::string("damaged PNG header (") + stbi_failure_reason() + ")";
        return false;
    }
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) {
        error = "the image is " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels; at most " + std::to_string(maxSide) + " x " + std::to_string(maxSide) + " is accepted";
        return false;
    }
    if (!CheckPngData(bytes, size, error)) return false;
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
    glGenerateTextureMipmap(tex);

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
