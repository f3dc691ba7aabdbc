// A 2D texture: loaded from an image file, or created as a render target or
// depth target for off-screen passes. An empty texture (nothing loaded) is a
// valid object that draws nothing.
#pragma once

#include <cstdint>
#include <string>

enum class FwTextureFormat { None, RGBA8, Depth32F };

class FwTexture {
public:
    FwTexture() = default;
    ~FwTexture();
    FwTexture(const FwTexture&) = delete;
    FwTexture& operator=(const FwTexture&) = delete;

    // Releases the previous texture, decodes the image file (PNG, JPEG, TGA,
    // BMP, HDR via stb_image) into RGBA8 with mipmaps. renderTarget adds a
    // framebuffer attachment. On failure the texture stays empty and the
    // path empty. An empty path fails at once.
    bool Load(const std::string& path, bool renderTarget = false, bool depthStencil = false, int option = 0);
    // Creates from RGBA8 pixels (top row first). Used for the 1x1 white
    // default texture and by tests.
    bool CreateFromPixels(int width, int height, const uint8_t* rgba);
    // Creates an empty colour (RGBA8) or depth (32-bit float) target.
    bool CreateTarget(int width, int height, FwTextureFormat format);
    void Release();

    bool IsEmpty() const { return handle_ == 0; }
    uint32_t Handle() const { return handle_; }      // GL texture name
    uint32_t Framebuffer() const { return fbo_; }    // GL framebuffer for targets, else 0
    int Width() const { return width_; }
    int Height() const { return height_; }
    FwTextureFormat Format() const { return format_; }
    const std::string& Path() const { return path_; }
    // True for targets made by CreateTarget: GL stores what is rendered into
    // them with the bottom row first, so their v axis runs upward. The sprite
    // pass flips v for such textures; images (Load, CreateFromPixels) are
    // stored top row first, v = 0 at the image's top as in the game's data.
    bool BottomUp() const { return bottomUp_; }

private:
    uint32_t handle_ = 0;
    uint32_t fbo_ = 0;
    int width_ = 0;
    int height_ = 0;
    FwTextureFormat format_ = FwTextureFormat::None;
    std::string path_;
    bool bottomUp_ = false;
    uint32_t generation_ = 0;  // device generation that created handle_
};
