// A 2D texture: loaded from an image file, or created as a render target or
// depth target for off-screen passes. An empty texture (nothing loaded) is a
// valid object that draws nothing.
#pragma once

#include <cstdint>
#include <memory>
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
    // Owners of targets needed only now and then (the game scene's cut-in),
    // right before using it: creates the target unless it already is one of
    // that size and format. True when the target is ready.
    bool EnsureTarget(int width, int height, FwTextureFormat format);
    void Release();

    // Model loading: the image file at path, shared with every other caller
    // that asked for the same path or for a file of the same content while
    // the device lives (one decode and upload per image). Null when the file
    // does not load.
    static std::shared_ptr<FwTexture> LoadShared(const std::string& path);

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
    // True for images whose every texel has alpha 255 (what the model shader
    // samples from them is then opaque); false for targets and empty textures.
    bool IsOpaque() const { return opaque_; }

private:
    uint32_t handle_ = 0;
    uint32_t fbo_ = 0;
    int width_ = 0;
    int height_ = 0;
    FwTextureFormat format_ = FwTextureFormat::None;
    std::string path_;
    bool bottomUp_ = false;
    bool opaque_ = false;
    uint32_t generation_ = 0;  // device generation that created handle_
};
