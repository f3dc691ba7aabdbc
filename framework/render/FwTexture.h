// A 2D texture: loaded from an image file, or created as a render target or
// depth target for off-screen passes. An empty texture (nothing loaded) is a
// valid object that draws nothing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

enum class FwTextureFormat { None, RGBA8, Depth32F };

// Pixels from FwTexture::DecodePng, released by the decoder's own free.
struct FwImageFree {
    void operator()(uint8_t* pixels) const;
};

// A decoded image: RGBA8, top row first, width x height texels.
struct FwImage {
    int width = 0;
    int height = 0;
    std::unique_ptr<uint8_t, FwImageFree> rgba;
};

class FwTexture {
public:
    FwTexture() = default;
    ~FwTexture();
    FwTexture(const FwTexture&) = delete;
    FwTexture& operator=(const FwTexture&) = delete;

    // The largest image side accepted, whatever the device allows. The
    // game's largest image is 1280 x 720; one of 4096 x 4096 takes 64 MiB
    // decoded, and since PNG data compresses a thousandfold, a file of a few
    // kilobytes can declare it: larger sizes would let a small file take
    // gigabytes.
    static constexpr int kMaxImageSide = 4096;
    // The most memory decoding one image may hold, file included: what the
    // largest image accepted (kMaxImageSide square, 8 bits RGBA) takes anyway
    // once decoded and on the device with its mipmaps, 64 + 85 MiB. The
    // decoder's working set is computed from the header before decoding: a
    // small file of 16-bit or interlaced pixels can need several times what
    // its size suggests (4096 x 4096 RGBA at 16 bits, interlaced: 320 MiB),
    // and is refused when over this.
    static constexpr uint64_t kMaxDecodeBytes = uint64_t(kMaxImageSide) * kMaxImageSide * 4 * 7 / 3;
    // An image file larger than this is refused unread (an uncompressed PNG
    // of the largest size, 16 bits a channel, is 128 MiB; decoding one that
    // large is refused by kMaxDecodeBytes all the same).
    static constexpr uint64_t kMaxImageFileBytes = 128u << 20;

    // Releases the previous texture, decodes the PNG file into RGBA8 with
    // mipmaps. renderTarget adds a framebuffer attachment. On failure the
    // texture stays empty and the path empty; a file that does not load
    // (missing, not a PNG, larger than the device or kMaxImageSide allows,
    // needing more than kMaxDecodeBytes to decode, damaged) is reported on
    // standard error (FwReportLoadFailure). An empty path fails at once.
    bool Load(const std::string& path, bool renderTarget = false, bool depthStencil = false, int option = 0);
    // Load, LoadShared and the image fuzz target: decodes the bytes of a PNG
    // file. Only PNG is taken (its 8-byte signature is checked first, so the
    // decoder never picks another format by the content); the size in its
    // header is checked against maxSide and the memory decoding needs
    // against kMaxDecodeBytes before anything is decoded, and every chunk's
    // checksum is checked. False with the reason in error.
    static bool DecodePng(const uint8_t* bytes, size_t size, int maxSide, FwImage& image, std::string& error);
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
    // does not load, which is reported on standard error once while the
    // device lives (FwReportLoadFailure).
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
