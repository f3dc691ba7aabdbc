// The graphics device facade (OpenGL 4.5 core underneath; the name is kept
// because every caller and document in the game knows the device by it). Owns the back buffer and Z buffer as
// textures, the immediate vertex buffers, the state objects and the white
// default texture. All GL calls of the program live in framework/render.
//
// Conventions (see docs/conventions.md): clip depth 0..1 (glClipControl
// GL_LOWER_LEFT, GL_ZERO_TO_ONE), clockwise front faces, row-vector matrices
// uploaded as-is (GLSL reads them with row_major blocks), so p x World x View
// x Proj holds exactly as in the game code.
//
// Without Init (unit tests), creation calls return false/null and draw calls do
// nothing, so CPU-side code (meshes, collision) works without a GPU.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/render/FwBuffer.h"
#include "framework/render/FwTexture.h"

enum class FwTopology { TriangleList, TriangleStrip, LineList, LineStrip, PointList };
// The vertex formats the shaders read; selected by FwShaderManager when it
// binds a shader.
enum class FwInputLayout { None, Model36, Effect36, Sprite20 };
enum class FwCullMode { None, Front, Back };
enum class FwFillMode { Solid, Wireframe };

// Blend modes: Opaque writes the source as it is, Alpha blends by the
// source alpha, Additive adds the source weighted by its alpha.
enum class FwBlendMode { Opaque = 0, Alpha = 1, Additive = 2 };
// Sampler filters (Anisotropic is trilinear with anisotropy where the device
// offers it) and address modes.
enum class FwFilter { Point = 0, Linear = 1, Anisotropic = 2 };
enum class FwAddress { Wrap = 0, Clamp = 1 };

// State objects are small value records; "creating" one validates it.
struct FwBlendState {
    FwBlendMode mode = FwBlendMode::Alpha;
    bool operator==(const FwBlendState&) const = default;
};
struct FwDepthStencilState {
    bool depthTest = true;
    bool depthWrite = true;
    bool operator==(const FwDepthStencilState&) const = default;
};
struct FwRasterizerState {
    FwCullMode cull = FwCullMode::Back;
    FwFillMode fill = FwFillMode::Solid;
    bool depthClip = true;
    bool scissor = false;
    bool operator==(const FwRasterizerState&) const = default;
};
struct FwSamplerState {
    FwFilter filter = FwFilter::Linear;
    FwAddress address = FwAddress::Wrap;
    bool comparison = false;
    int maxAnisotropy = 1;
    uint32_t handle = 0;
};

class FwDirect3D {
public:
    static FwDirect3D& GetInstance();

    // Application::Init, once, with the platform's GL context current.
    // On failure errorText receives the message to show and false is returned.
    bool Init(int width, int height, bool debugDevice, std::string& errorText);
    // Application shutdown.
    void Release();
    bool IsReady() const;

    // Frame loop: shows the back buffer (blit to the window's framebuffer when
    // the platform has one) and asks the platform to present.
    void Present();
    // Windowed platform start-up (SDL), before or after Init: true makes
    // Present blit the back buffer to the window's default framebuffer. Off by
    // default, as a headless context has no default framebuffer to draw to.
    void SetPresentToWindow(bool present);
    // Harness: reads the back buffer as RGBA8, top row first.
    bool ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height);
    // Benchmarks, after a frame: waits until the rasteriser has finished every
    // command issued so far, so the frame's time includes its drawing.
    void Finish();

    // Harness (--no-render), at any time; kept across Init and Release. While
    // true, draws, clears and the present blit do no GL work (bindings and
    // state objects are still recorded), so a scene's whole Frame runs at the
    // cost of its logic. FwShaderManager defers its block uploads meanwhile.
    // Lifting it makes the next frame draw completely from the current state.
    void SetDrawingSuppressed(bool suppressed);
    bool IsDrawingSuppressed() const;

    // The game and the harness (--render-scale), before Init or between
    // frames (the options screen, the automatic scale); kept across Init and
    // Release; clamped to 0.25..1. A change made after Init takes effect from
    // the next frame on (Present remakes the targets). Below 1 each frame's 3D pass goes
    // to a colour and depth target of that fraction of the back buffer's
    // size: whatever a scene draws into the back buffer before its first
    // sprite pass (clears included) lands there, and is scaled up into the
    // back buffer (linear filtering) when that sprite pass begins, or at
    // Present. Sprites and every other target keep their full resolution.
    // 1, the default, draws everything directly.
    void SetRenderScale(float scale);
    float RenderScale() const;
    // FwShaderManager::Begin: the frame's sprite pass is about to draw, so a
    // scaled 3D pass is laid into the back buffer now.
    void BeginOverlay();

    std::shared_ptr<FwTexture> GetBackBuffer() const;
    std::shared_ptr<FwTexture> GetZBuffer() const;
    std::shared_ptr<FwTexture> GetDefaultTexture() const;  // 1x1 opaque white
    int Width() const;
    int Height() const;

    // Render targets: colour (may be null = none) and depth (may be null).
    void SetRenderTargets(FwTexture* color, FwTexture* depth);
    void ClearRenderTarget(FwTexture* color, float r, float g, float b, float a);
    void ClearDepthStencil(FwTexture* depth, float depth01, uint8_t stencil);
    // Off-screen passes set their own viewport; Init sets (0, 0, width, height).
    // The sprite pass reads it for its projection.
    void SetViewport(int x, int y, int width, int height);
    void GetViewport(int& x, int& y, int& width, int& height) const;

    // Immediate drawing from client memory through the ten growing buffers
    // (80 x 2^k bytes, first one strictly larger than the data) or the spare.
    void DrawVertices(FwTopology topology, uint32_t vertexCount, const void* vertices, uint32_t stride);

    // Buffer binding and drawing for meshes and game-built quads.
    void SetInputLayout(FwInputLayout layout);
    void SetVertexBuffer(const FwBuffer* buffer, uint32_t stride, uint32_t offset);
    void SetIndexBuffer(const FwBuffer* buffer);
    void SetTopology(FwTopology topology);
    void Draw(uint32_t vertexCount, uint32_t startVertex);
    void DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex);
    void SetTexture(int slot, const FwTexture* texture);  // null unbinds
    // FwBuffer::Release, after deleting its GL buffer: drops the name from the
    // vertex and index bindings so a later layout switch never re-binds it.
    void ForgetBuffer(uint32_t handle);

    // State objects; a mode, filter or address outside its enum gives null.
    std::shared_ptr<FwBlendState> CreateBlendState(FwBlendMode mode);
    std::shared_ptr<FwDepthStencilState> CreateDepthStencilState(bool depthTest, bool depthWrite);
    std::shared_ptr<FwRasterizerState> CreateRasterizerState(FwCullMode cull, FwFillMode fill, bool depthClip, bool scissor);
    std::shared_ptr<FwSamplerState> CreateSamplerState(FwFilter filter, FwAddress address, bool comparison,
                                                       int maxAnisotropy = 4);
    // Binding copies the state: the caller may release its object at once.
    // The getters return the device's own copy, valid until the next Set.
    void SetBlendState(const FwBlendState* state);  // null = default alpha blend
    const FwBlendState* GetBlendState() const;
    void SetDepthStencilState(const FwDepthStencilState* state);
    const FwDepthStencilState* GetDepthStencilState() const;
    void SetRasterizerState(const FwRasterizerState* state);
    const FwRasterizerState* GetRasterizerState() const;
    void SetSampler(int slot, const FwSamplerState* state);
    const FwSamplerState* GetSampler(int slot) const;

    // Byte sizes of the ten immediate buffers; which one a draw of n bytes
    // uses (-1 = the spare). Pure, for tests.
    static uint32_t ImmediateCapacity(int k);
    static int ImmediateBufferFor(uint32_t bytes);

private:
    FwDirect3D();
    ~FwDirect3D();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
