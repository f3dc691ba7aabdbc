#include "framework/render/FwTexture.h"

#include <epoxy/gl.h>
#include <stb_image.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "framework/render/FwGLState.h"

namespace {

int MipLevels(int width, int height) {
    int levels = 1;
    for (int size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

bool SizeFits(int width, int height) {
    GLint maxSize = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    return width > 0 && height > 0 && width <= maxSize && height <= maxSize;
}

struct StbFree {
    void operator()(stbi_uc* p) const { stbi_image_free(p); }
};

bool AllOpaque(const uint8_t* rgba, size_t texels) {
    for (size_t i = 0; i < texels; ++i)
        if (rgba[i * 4 + 3] != 255) return false;
    return true;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return !in.bad();
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

    std::vector<uint8_t> bytes;
    if (!ReadFile(path, bytes) || bytes.empty()) return nullptr;
    const std::pair<uint64_t, size_t> content{ContentHash(bytes), bytes.size()};
    std::shared_ptr<FwTexture> texture = Lookup(Find(SharedByContent(), content));
    if (!texture) {
        int width = 0, height = 0, channels = 0;
        std::unique_ptr<stbi_uc, StbFree> pixels(
            stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4));
        texture = std::make_shared<FwTexture>();
        if (!pixels || !texture->CreateFromPixels(width, height, pixels.get())) return nullptr;
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

bool FwTexture::Load(const std::string& path, bool renderTarget, bool depthStencil, int /*option*/) {
    Release();
    // An image cannot become a depth target; refusing keeps the failure honest.
    if (path.empty() || depthStencil || !FwGL::Live()) return false;

    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, StbFree> pixels(stbi_load(path.c_str(), &width, &height, &channels, 4));
    if (!pixels) return false;
    if (!CreateFromPixels(width, height, pixels.get())) return false;
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
