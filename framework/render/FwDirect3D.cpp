#include "framework/render/FwDirect3D.h"

#include "framework/render/FwGLApi.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "framework/platform/FwLetterbox.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwGLState.h"

// ---- GL liveness shared by buffers and textures ----

namespace {
bool g_glLive = false;            // constant-initialised: safe during static destruction
uint32_t g_glGeneration = 0;
}  // namespace

namespace FwGL {
bool Live() { return g_glLive; }
uint32_t Generation() { return g_glGeneration; }
void BeginGeneration() {
    ++g_glGeneration;
    g_glLive = true;
}
void EndGeneration() { g_glLive = false; }
}  // namespace FwGL

namespace {

constexpr int kImmediateBuffers = 10;
constexpr int kSamplerSlots = 16;
constexpr int kTextureSlots = 16;
// Every shader of the game samples all its textures through sampler slot 0;
// GL pairs samplers with texture units, so slot 0 is bound to these units.
constexpr int kShaderTextureUnits = 3;
constexpr int kLayoutCount = 4;

GLenum ToGL(FwTopology topology) {
    switch (topology) {
        case FwTopology::TriangleStrip: return GL_TRIANGLE_STRIP;
        case FwTopology::LineList: return GL_LINES;
        case FwTopology::LineStrip: return GL_LINE_STRIP;
        case FwTopology::PointList: return GL_POINTS;
        default: return GL_TRIANGLES;
    }
}

#ifndef __EMSCRIPTEN__
void GLAPIENTRY DebugMessage(GLenum, GLenum type, GLuint, GLenum severity, GLsizei, const GLchar* message,
                             const void*) {
    if (type != GL_DEBUG_TYPE_ERROR && severity != GL_DEBUG_SEVERITY_HIGH) return;
    std::fprintf(stderr, "GL%s: %s\n", type == GL_DEBUG_TYPE_ERROR ? " error" : "", message);
}
#endif

void Attribute(GLuint vao, GLuint location, GLint size, GLenum type, GLboolean normalized, GLuint offset) {
    glEnableVertexArrayAttrib(vao, location);
    glVertexArrayAttribFormat(vao, location, size, type, normalized, offset);
    glVertexArrayAttribBinding(vao, location, 0);
}

// One vertex array per vertex format: locations 0 position, 1 texture
// coordinate, 2 normal, 3 colour, all read from buffer binding 0.
GLuint CreateVertexArray(FwInputLayout layout) {
    GLuint vao = 0;
    glCreateVertexArrays(1, &vao);
    switch (layout) {
        case FwInputLayout::Model36:
            Attribute(vao, 0, 3, GL_FLOAT, GL_FALSE, 0);
            Attribute(vao, 1, 2, GL_FLOAT, GL_FALSE, 12);
            Attribute(vao, 2, 3, GL_FLOAT, GL_FALSE, 20);
            Attribute(vao, 3, 4, GL_UNSIGNED_BYTE, GL_TRUE, 32);  // packed RGBA8, red lowest
            break;
        case FwInputLayout::Effect36:
            Attribute(vao, 0, 3, GL_FLOAT, GL_FALSE, 0);
            Attribute(vao, 1, 2, GL_FLOAT, GL_FALSE, 12);
            Attribute(vao, 3, 4, GL_FLOAT, GL_FALSE, 20);
            break;
        case FwInputLayout::Sprite20:
            Attribute(vao, 0, 3, GL_FLOAT, GL_FALSE, 0);
            Attribute(vao, 1, 2, GL_FLOAT, GL_FALSE, 12);
            break;
        case FwInputLayout::None:
            break;
    }
    return vao;
}

void ApplyBlend(const FwBlendState& s) {
    // Opaque is (one, zero): the source as it is, so blending is switched
    // off instead, which spares the rasteriser reading the target.
    if (s.mode == FwBlendMode::Opaque) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    switch (s.mode) {
        case FwBlendMode::Additive: glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE, GL_ONE, GL_ONE_MINUS_SRC_ALPHA); break;
        default: glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA); break;
    }
}

void ApplyDepth(const FwDepthStencilState& s) {
    if (s.depthTest) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
    glDepthMask(s.depthWrite ? GL_TRUE : GL_FALSE);
    glDepthFunc(GL_LEQUAL);
}

void ApplyRasterizer(const FwRasterizerState& s) {
    glFrontFace(GL_CW);
    if (s.cull == FwCullMode::None) {
        glDisable(GL_CULL_FACE);
    } else {
        glEnable(GL_CULL_FACE);
        glCullFace(s.cull == FwCullMode::Front ? GL_FRONT : GL_BACK);
    }
#ifndef __EMSCRIPTEN__  // WebGL 2 draws filled and clips depth, always (the game asks for nothing else)
    glPolygonMode(GL_FRONT_AND_BACK, s.fill == FwFillMode::Wireframe ? GL_LINE : GL_FILL);
    // Switching depth clipping off keeps geometry beyond the planes, clamped.
    if (s.depthClip) glDisable(GL_DEPTH_CLAMP); else glEnable(GL_DEPTH_CLAMP);
#endif
    if (s.scissor) glEnable(GL_SCISSOR_TEST); else glDisable(GL_SCISSOR_TEST);
}

}  // namespace

struct FwDirect3D::Impl {
    bool ready = false;
    bool presentToWindow = false;
    bool suppressed = false;  // drawing suppressed (logic-only runs)
    float renderScale = 1.0f;

    // Render scale below 1: the 3D pass's own targets and where the frame is.
    std::shared_ptr<FwTexture> sceneColor;
    std::shared_ptr<FwTexture> sceneDepth;
    bool scenePhase = false;  // no sprite pass yet this frame: back-buffer draws go to sceneColor
    bool sceneDrawn = false;  // sceneColor holds something of this frame
    bool scalePending = false;  // renderScale changed since the targets were made
    FwTexture* targetColor = nullptr;  // the targets as the caller named them
    FwTexture* targetDepth = nullptr;
    int width = 0;
    int height = 0;
    int viewport[4] = {0, 0, 0, 0};

    std::shared_ptr<FwTexture> backBuffer;
    std::shared_ptr<FwTexture> zBuffer;
    std::shared_ptr<FwTexture> defaultTexture;  // 1x1 opaque white
    std::shared_ptr<FwTexture> nullTexture;     // 1x1 transparent black: what an unbound slot reads
    GLuint targetFbo = 0;                       // colour and depth targets of the draws
    bool redirected = false;                    // targetFbo holds the scene targets instead of the back buffer

    FwBuffer immediate[kImmediateBuffers];
    FwBuffer spare;

    GLuint vaos[kLayoutCount] = {};
    FwInputLayout layout = FwInputLayout::None;
    GLuint vertexBuffer = 0;
    uint32_t vertexStride = 0;
    uint32_t vertexOffset = 0;
    GLuint indexBuffer = 0;
    FwTopology topology = FwTopology::TriangleList;

    FwBlendState defaultBlend;
    FwDepthStencilState defaultDepth;
    FwRasterizerState defaultRasterizer;
    std::shared_ptr<FwSamplerState> defaultSamplers[2];
    // The bound states are held by value: a caller may release its state
    // object right after binding it (the game scene makes its depth states
    // per frame), and clears, the sprite pass and present read them later.
    FwBlendState boundBlend;
    FwDepthStencilState boundDepth;
    FwRasterizerState boundRasterizer;
    const FwBlendState* blend = nullptr;
    const FwDepthStencilState* depth = nullptr;
    const FwRasterizerState* rasterizer = nullptr;
    const FwSamplerState* samplers[kSamplerSlots] = {};

    float maxAnisotropy = 1.0f;  // 1 when anisotropic filtering is unavailable

    void ApplyVertexInput() const {
        GLuint vao = vaos[static_cast<int>(layout)];
        glBindVertexArray(vao);
        glVertexArrayVertexBuffer(vao, 0, vertexBuffer, vertexOffset, static_cast<GLsizei>(vertexStride));
        glVertexArrayElementBuffer(vao, indexBuffer);
    }
    bool Scaled() const { return sceneColor != nullptr; }
    // Makes the scene targets match renderScale: none at 1, else colour and
    // depth of that fraction of the back buffer (kept when the size is the
    // same). Called at Init and between frames, never during a scene pass.
    bool ApplySceneScale() {
        scalePending = false;
        if (renderScale >= 1.0f) {
            sceneColor.reset();
            sceneDepth.reset();
            return true;
        }
        const int sceneWidth = std::max(1, static_cast<int>(std::lround(width * renderScale)));
        const int sceneHeight = std::max(1, static_cast<int>(std::lround(height * renderScale)));
        if (sceneColor && sceneColor->Width() == sceneWidth && sceneColor->Height() == sceneHeight) return true;
        auto color = std::make_shared<FwTexture>();
        auto depthTarget = std::make_shared<FwTexture>();
        if (!color->CreateTarget(sceneWidth, sceneHeight, FwTextureFormat::RGBA8) ||
            !depthTarget->CreateTarget(sceneWidth, sceneHeight, FwTextureFormat::Depth32F))
            return false;
        sceneColor = std::move(color);
        sceneDepth = std::move(depthTarget);
        return true;
    }
    // A target as the GL calls must see it: during the scaled 3D pass the
    // back buffer and Z buffer stand for the scene targets.
    FwTexture* Physical(FwTexture* texture) const {
        if (!Scaled() || !scenePhase) return texture;
        if (texture == backBuffer.get()) return sceneColor.get();
        if (texture == zBuffer.get()) return sceneDepth.get();
        return texture;
    }
    void ApplyTargets() {
        FwTexture* color = Physical(targetColor);
        FwTexture* depthTarget = Physical(targetDepth);
        redirected = Scaled() && scenePhase && targetColor == backBuffer.get();
        GLuint colorTex = color && color->Format() == FwTextureFormat::RGBA8 ? color->Handle() : 0;
        GLuint depthTex =
            depthTarget && depthTarget->Format() == FwTextureFormat::Depth32F ? depthTarget->Handle() : 0;
        glNamedFramebufferTexture(targetFbo, GL_COLOR_ATTACHMENT0, colorTex, 0);
        glNamedFramebufferTexture(targetFbo, GL_DEPTH_ATTACHMENT, depthTex, 0);
        glNamedFramebufferDrawBuffer(targetFbo, colorTex ? GL_COLOR_ATTACHMENT0 : GL_NONE);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, targetFbo);
    }
    // The viewport in the pixels of the bound target: scaled with it.
    void ApplyViewport() const {
        if (!redirected) {
            glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
            return;
        }
        const float sx = static_cast<float>(sceneColor->Width()) / static_cast<float>(width);
        const float sy = static_cast<float>(sceneColor->Height()) / static_cast<float>(height);
        const int x0 = static_cast<int>(std::lround(viewport[0] * sx));
        const int y0 = static_cast<int>(std::lround(viewport[1] * sy));
        const int x1 = static_cast<int>(std::lround((viewport[0] + viewport[2]) * sx));
        const int y1 = static_cast<int>(std::lround((viewport[1] + viewport[3]) * sy));
        glViewport(x0, y0, x1 - x0, y1 - y0);
    }
    // Ends the scaled 3D pass: what it drew is scaled into the back buffer
    // and the caller's targets are the real ones again.
    void EndScenePhase() {
        if (!Scaled() || !scenePhase) return;
        scenePhase = false;
        if (sceneDrawn && !suppressed) {
            glDisable(GL_SCISSOR_TEST);
            glBlitNamedFramebuffer(sceneColor->Framebuffer(), backBuffer->Framebuffer(), 0, 0, sceneColor->Width(),
                                   sceneColor->Height(), 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_LINEAR);
            if (rasterizer && rasterizer->scissor) glEnable(GL_SCISSOR_TEST);
        }
        sceneDrawn = false;
        ApplyTargets();
        ApplyViewport();
    }
    void BeginScenePhase() {
        if (!Scaled()) return;
        scenePhase = true;
        sceneDrawn = false;
        ApplyTargets();
        ApplyViewport();
    }
    void BindSampler(int slot) const {
        if (slot != 0) return;  // no shader reads the other slots
        GLuint handle = samplers[0] ? samplers[0]->handle : 0;
        for (int unit = 0; unit < kShaderTextureUnits; ++unit) glBindSampler(unit, handle);
    }
};

FwDirect3D& FwDirect3D::GetInstance() {
    static FwDirect3D instance;
    return instance;
}

FwDirect3D::FwDirect3D() : impl_(std::make_unique<Impl>()) {}

void FwDirect3D::ForgetBuffer(uint32_t handle) {
    Impl& d = *impl_;
    if (d.vertexBuffer == handle) d.vertexBuffer = 0;
    if (d.indexBuffer == handle) d.indexBuffer = 0;
}
FwDirect3D::~FwDirect3D() = default;  // GL objects go with Release; the context may be gone by now

bool FwDirect3D::IsReady() const { return impl_->ready; }
int FwDirect3D::Width() const { return impl_->width; }
int FwDirect3D::Height() const { return impl_->height; }
std::shared_ptr<FwTexture> FwDirect3D::GetBackBuffer() const { return impl_->backBuffer; }
std::shared_ptr<FwTexture> FwDirect3D::GetZBuffer() const { return impl_->zBuffer; }
std::shared_ptr<FwTexture> FwDirect3D::GetDefaultTexture() const { return impl_->defaultTexture; }
void FwDirect3D::SetPresentToWindow(bool present) { impl_->presentToWindow = present; }

bool FwDirect3D::Init(int width, int height, bool debugDevice, std::string& errorText) {
    Release();
    Impl& d = *impl_;
    auto fail = [&](const char* text) {
        errorText = text;
        Release();
        return false;
    };
#ifdef __EMSCRIPTEN__
    // WebGL 2 has neither glClipControl nor anisotropy by default: the shaders
    // map the 0..1 clip depth onto ES's -1..1 themselves (FwShaderDialect).
    if (!FwGLES::ContextCurrent()) return fail("Direct3D11デバイス作成失敗");
    if (width <= 0 || height <= 0) return fail("スワップチェイン作成失敗");
    FwGL::BeginGeneration();
    (void)debugDevice;
#else
    // No current context reads as version 0.
    if (epoxy_gl_version() < 45) return fail("Direct3D11デバイス作成失敗");
    if (width <= 0 || height <= 0) return fail("スワップチェイン作成失敗");
    FwGL::BeginGeneration();
    if (debugDevice) {
        glEnable(GL_DEBUG_OUTPUT);
        glDebugMessageCallback(DebugMessage, nullptr);
    }
    glClipControl(GL_LOWER_LEFT, GL_ZERO_TO_ONE);
    // Software rasterizers (Mesa's llvmpipe and softpipe) pay for anisotropic
    // filtering per sample on the CPU: it doubles a frame's cost there, so
    // they get plain trilinear filtering. GPUs keep anisotropy.
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    const bool software = renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe"));
    if (!software && (epoxy_gl_version() >= 46 || epoxy_has_gl_extension("GL_EXT_texture_filter_anisotropic") ||
                      epoxy_has_gl_extension("GL_ARB_texture_filter_anisotropic")))
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY, &d.maxAnisotropy);

#endif
    d.width = width;
    d.height = height;
    d.backBuffer = std::make_shared<FwTexture>();
    if (!d.backBuffer->CreateTarget(width, height, FwTextureFormat::RGBA8)) return fail("バックバッファ作成失敗");
    d.zBuffer = std::make_shared<FwTexture>();
    if (!d.zBuffer->CreateTarget(width, height, FwTextureFormat::Depth32F)) return fail("Zバッファ作成失敗");
    if (!d.ApplySceneScale()) return fail("バックバッファ作成失敗");
    d.scenePhase = d.Scaled();
    glCreateFramebuffers(1, &d.targetFbo);
    d.ready = true;  // the public calls below need it; a failure resets it
    SetRenderTargets(d.backBuffer.get(), d.zBuffer.get());
    if (glCheckNamedFramebufferStatus(d.targetFbo, GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE)
        return fail("バックバッファ作成失敗");
    SetViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    glDepthRangef(0.0f, 1.0f);

    for (int i = 0; i < kLayoutCount; ++i) d.vaos[i] = CreateVertexArray(static_cast<FwInputLayout>(i));
    d.ApplyVertexInput();

    SetBlendState(&d.defaultBlend);
    d.defaultSamplers[0] = CreateSamplerState(FwFilter::Anisotropic, FwAddress::Wrap, false, 4);
    d.defaultSamplers[1] = CreateSamplerState(FwFilter::Anisotropic, FwAddress::Clamp, false, 4);
    SetSampler(0, d.defaultSamplers[0].get());
    SetSampler(1, d.defaultSamplers[1].get());
    SetRasterizerState(&d.defaultRasterizer);
    SetDepthStencilState(&d.defaultDepth);

    const uint8_t white[4] = {255, 255, 255, 255};
    const uint8_t clear[4] = {0, 0, 0, 0};
    d.defaultTexture = std::make_shared<FwTexture>();
    d.nullTexture = std::make_shared<FwTexture>();
    if (!d.defaultTexture->CreateFromPixels(1, 1, white) || !d.nullTexture->CreateFromPixels(1, 1, clear))
        return fail("Direct3D11デバイス作成失敗");
    for (int k = 0; k < kImmediateBuffers; ++k)
        if (!d.immediate[k].Create(FwBind::Vertex, ImmediateCapacity(k), FwUsage::Dynamic, nullptr))
            return fail("Direct3D11デバイス作成失敗");
    for (int slot = 0; slot < kTextureSlots; ++slot) SetTexture(slot, nullptr);
    return true;
}

void FwDirect3D::Release() {
    Impl& d = *impl_;
    bool presentToWindow = d.presentToWindow;
    if (FwGL::Live()) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glBindVertexArray(0);
        for (int unit = 0; unit < kShaderTextureUnits; ++unit) glBindSampler(unit, 0);
        for (GLuint& vao : d.vaos)
            if (vao) glDeleteVertexArrays(1, &vao);
        if (d.targetFbo) glDeleteFramebuffers(1, &d.targetFbo);
        // Textures shared with models (the white default) become empty here;
        // their GL names must go while the context still exists.
        for (auto* tex :
             {&d.backBuffer, &d.zBuffer, &d.defaultTexture, &d.nullTexture, &d.sceneColor, &d.sceneDepth})
            if (*tex) (*tex)->Release();
        for (FwBuffer& b : d.immediate) b.Release();
        d.spare.Release();
        d.defaultSamplers[0].reset();
        d.defaultSamplers[1].reset();
    }
    FwGL::EndGeneration();
    bool suppressed = d.suppressed;
    float renderScale = d.renderScale;
    impl_ = std::make_unique<Impl>();
    impl_->presentToWindow = presentToWindow;
    impl_->suppressed = suppressed;
    impl_->renderScale = renderScale;
}

void FwDirect3D::SetRenderScale(float scale) {
    const float clamped = std::clamp(scale, 0.25f, 1.0f);
    if (clamped == impl_->renderScale) return;
    impl_->renderScale = clamped;
    impl_->scalePending = impl_->ready;
}
float FwDirect3D::RenderScale() const { return impl_->renderScale; }

void FwDirect3D::BeginOverlay() {
    if (impl_->ready) impl_->EndScenePhase();
}

void FwDirect3D::SetDrawingSuppressed(bool suppressed) { impl_->suppressed = suppressed; }
bool FwDirect3D::IsDrawingSuppressed() const { return impl_->suppressed; }

void FwDirect3D::Finish() {
    if (impl_->ready) glFinish();
}

void FwDirect3D::Present() {
    Impl& d = *impl_;
    // A frame without a sprite pass still shows its scaled 3D pass.
    if (d.ready) d.EndScenePhase();
    if (d.ready && d.presentToWindow && !d.suppressed) {
        // Scissoring would clip the blit; it is the only state that affects it.
        glDisable(GL_SCISSOR_TEST);
        // A larger window (desktop fullscreen) shows the frame scaled to fit,
        // centred between black bars; GL counts the window's rows from the bottom.
        int outWidth = d.width, outHeight = d.height;
        if (FwHasPlatform()) FwGetPlatform().GetPresentSize(outWidth, outHeight);
        const FwRect box = FwLetterboxRect(d.width, d.height, outWidth, outHeight);
        if (box.width != outWidth || box.height != outHeight) {
            const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            glClearNamedFramebufferfv(0, GL_COLOR, 0, black);
        }
        const int boxBottom = outHeight - box.y - box.height;
        const bool unscaled = box.width == d.width && box.height == d.height;
        glBlitNamedFramebuffer(d.backBuffer->Framebuffer(), 0, 0, 0, d.width, d.height, box.x, boxBottom,
                               box.x + box.width, boxBottom + box.height, GL_COLOR_BUFFER_BIT,
                               unscaled ? GL_NEAREST : GL_LINEAR);
        if (d.rasterizer && d.rasterizer->scissor) glEnable(GL_SCISSOR_TEST);
    }
    if (FwHasPlatform()) FwGetPlatform().Present();
    // A new scale takes effect with the next frame. Should its targets fail
    // (out of memory), the frame goes on at full resolution.
    if (d.ready && d.scalePending && !d.ApplySceneScale()) {
        d.sceneColor.reset();
        d.sceneDepth.reset();
    }
    if (d.ready) d.BeginScenePhase();
}

bool FwDirect3D::ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height) {
    Impl& d = *impl_;
    if (!d.ready) return false;
    width = d.width;
    height = d.height;
    size_t rowBytes = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> bottomUp(rowBytes * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTextureImage(d.backBuffer->Handle(), 0, GL_RGBA, GL_UNSIGNED_BYTE, static_cast<GLsizei>(bottomUp.size()),
                      bottomUp.data());
    rgba.resize(bottomUp.size());
    for (int row = 0; row < height; ++row)
        std::memcpy(&rgba[row * rowBytes], &bottomUp[(height - 1 - row) * rowBytes], rowBytes);
    return true;
}

// ---- render targets ----

void FwDirect3D::SetRenderTargets(FwTexture* color, FwTexture* depth) {
    Impl& d = *impl_;
    if (!d.ready) return;
    const bool wasRedirected = d.redirected;
    d.targetColor = color;
    d.targetDepth = depth;
    d.ApplyTargets();
    if (d.redirected != wasRedirected) d.ApplyViewport();
}

void FwDirect3D::ClearRenderTarget(FwTexture* color, float r, float g, float b, float a) {
    if (!impl_->ready || impl_->suppressed || !color || color->Framebuffer() == 0 ||
        color->Format() != FwTextureFormat::RGBA8)
        return;
    const GLfloat value[4] = {r, g, b, a};
    FwTexture* target = impl_->Physical(color);
    if (target != color) impl_->sceneDrawn = true;
    // A clear covers the whole target, as the game expects, whatever the scissor.
    glDisable(GL_SCISSOR_TEST);
    glClearNamedFramebufferfv(target->Framebuffer(), GL_COLOR, 0, value);
    if (impl_->rasterizer && impl_->rasterizer->scissor) glEnable(GL_SCISSOR_TEST);
}

// The depth targets are 32-bit float without stencil, so stencil is ignored.
void FwDirect3D::ClearDepthStencil(FwTexture* depth, float depth01, uint8_t /*stencil*/) {
    if (!impl_->ready || impl_->suppressed || !depth || depth->Framebuffer() == 0 ||
        depth->Format() != FwTextureFormat::Depth32F)
        return;
    // GL clears obey the depth write mask; the clear must not depend on the
    // depth state bound at the time.
    glDepthMask(GL_TRUE);
    glDisable(GL_SCISSOR_TEST);
    glClearNamedFramebufferfv(impl_->Physical(depth)->Framebuffer(), GL_DEPTH, 0, &depth01);
    if (impl_->depth) ApplyDepth(*impl_->depth);
    if (impl_->rasterizer && impl_->rasterizer->scissor) glEnable(GL_SCISSOR_TEST);
}

void FwDirect3D::SetViewport(int x, int y, int width, int height) {
    Impl& d = *impl_;
    if (!d.ready) return;
    d.viewport[0] = x;
    d.viewport[1] = y;
    d.viewport[2] = width;
    d.viewport[3] = height;
    d.ApplyViewport();
}

void FwDirect3D::GetViewport(int& x, int& y, int& width, int& height) const {
    x = impl_->viewport[0];
    y = impl_->viewport[1];
    width = impl_->viewport[2];
    height = impl_->viewport[3];
}

// ---- immediate drawing ----

uint32_t FwDirect3D::ImmediateCapacity(int k) {
    return k >= 0 && k < kImmediateBuffers ? 80u << k : 0u;
}

int FwDirect3D::ImmediateBufferFor(uint32_t bytes) {
    for (int k = 0; k < kImmediateBuffers; ++k)
        if (ImmediateCapacity(k) > bytes) return k;
    return -1;
}

void FwDirect3D::DrawVertices(FwTopology topology, uint32_t vertexCount, const void* vertices, uint32_t stride) {
    Impl& d = *impl_;
    if (!d.ready || d.suppressed || vertexCount == 0 || !vertices || stride == 0) return;
    uint64_t bytes64 = static_cast<uint64_t>(vertexCount) * stride;
    if (bytes64 > UINT32_MAX) return;
    uint32_t bytes = static_cast<uint32_t>(bytes64);
    int k = ImmediateBufferFor(bytes);
    FwBuffer* buffer = k >= 0 ? &d.immediate[k] : &d.spare;
    if (k < 0 && d.spare.ByteSize() < bytes && !d.spare.Create(FwBind::Vertex, bytes, FwUsage::Dynamic, nullptr))
        return;
    buffer->Write(vertices, bytes);
    SetVertexBuffer(buffer, stride, 0);
    SetTopology(topology);
    Draw(vertexCount, 0);
}

// ---- input assembly and draws ----

void FwDirect3D::SetInputLayout(FwInputLayout layout) {
    Impl& d = *impl_;
    if (!d.ready) return;
    d.layout = layout;
    d.ApplyVertexInput();
}

void FwDirect3D::SetVertexBuffer(const FwBuffer* buffer, uint32_t stride, uint32_t offset) {
    Impl& d = *impl_;
    if (!d.ready) return;
    d.vertexBuffer = buffer ? buffer->Handle() : 0;
    d.vertexStride = stride;
    d.vertexOffset = offset;
    d.ApplyVertexInput();
}

void FwDirect3D::SetIndexBuffer(const FwBuffer* buffer) {
    Impl& d = *impl_;
    if (!d.ready) return;
    d.indexBuffer = buffer ? buffer->Handle() : 0;
    d.ApplyVertexInput();
}

void FwDirect3D::SetTopology(FwTopology topology) { impl_->topology = topology; }

void FwDirect3D::Draw(uint32_t vertexCount, uint32_t startVertex) {
    Impl& d = *impl_;
    if (!d.ready || d.suppressed || vertexCount == 0 || d.vertexBuffer == 0) return;
    if (d.redirected) d.sceneDrawn = true;
    glDrawArrays(ToGL(d.topology), static_cast<GLint>(startVertex), static_cast<GLsizei>(vertexCount));
}

void FwDirect3D::DrawIndexed(uint32_t indexCount, uint32_t startIndex, int32_t baseVertex) {
    Impl& d = *impl_;
    if (!d.ready || d.suppressed || indexCount == 0 || d.vertexBuffer == 0 || d.indexBuffer == 0) return;
    if (d.redirected) d.sceneDrawn = true;
    const void* offset = reinterpret_cast<const void*>(static_cast<uintptr_t>(startIndex) * sizeof(uint32_t));
    glDrawElementsBaseVertex(ToGL(d.topology), static_cast<GLsizei>(indexCount), GL_UNSIGNED_INT, offset, baseVertex);
}

// A null or empty texture reads as transparent black, so whatever is drawn
// with it is discarded by the shaders' alpha tests: nothing visible.
void FwDirect3D::SetTexture(int slot, const FwTexture* texture) {
    const Impl& d = *impl_;
    if (!d.ready || slot < 0 || slot >= kTextureSlots) return;
    bool usable = texture && !texture->IsEmpty() && texture->Format() != FwTextureFormat::None;
    glBindTextureUnit(slot, usable ? texture->Handle() : d.nullTexture->Handle());
}

// ---- state objects ----

std::shared_ptr<FwBlendState> FwDirect3D::CreateBlendState(FwBlendMode mode) {
    const int value = static_cast<int>(mode);
    if (!impl_->ready || value < 0 || value > 2) return nullptr;
    return std::make_shared<FwBlendState>(FwBlendState{mode});
}

std::shared_ptr<FwDepthStencilState> FwDirect3D::CreateDepthStencilState(bool depthTest, bool depthWrite) {
    if (!impl_->ready) return nullptr;
    return std::make_shared<FwDepthStencilState>(FwDepthStencilState{depthTest, depthWrite});
}

std::shared_ptr<FwRasterizerState> FwDirect3D::CreateRasterizerState(FwCullMode cull, FwFillMode fill, bool depthClip,
                                                                     bool scissor) {
    if (!impl_->ready) return nullptr;
    return std::make_shared<FwRasterizerState>(FwRasterizerState{cull, fill, depthClip, scissor});
}

std::shared_ptr<FwSamplerState> FwDirect3D::CreateSamplerState(FwFilter filter, FwAddress address, bool comparison,
                                                               int maxAnisotropy) {
    const Impl& d = *impl_;
    const int filterValue = static_cast<int>(filter);
    const int addressValue = static_cast<int>(address);
    if (!d.ready || filterValue < 0 || filterValue > 2 || addressValue < 0 || addressValue > 1) return nullptr;
    if (filter == FwFilter::Anisotropic && (maxAnisotropy < 1 || maxAnisotropy > 16)) return nullptr;
    GLuint sampler = 0;
    glCreateSamplers(1, &sampler);
    if (sampler == 0) return nullptr;
    GLenum wrap = address == FwAddress::Wrap ? GL_REPEAT : GL_CLAMP_TO_EDGE;
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, wrap);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, wrap);
    glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, wrap);
    bool point = filter == FwFilter::Point && !comparison;  // comparison sampling always filters linearly
    glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER, point ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_LINEAR);
    glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, point ? GL_NEAREST : GL_LINEAR);
    if (filter == FwFilter::Anisotropic && d.maxAnisotropy > 1.0f)
        glSamplerParameterf(sampler, GL_TEXTURE_MAX_ANISOTROPY,
                            std::min(static_cast<float>(maxAnisotropy), d.maxAnisotropy));
    glSamplerParameteri(sampler, GL_TEXTURE_COMPARE_MODE, comparison ? GL_COMPARE_REF_TO_TEXTURE : GL_NONE);
    glSamplerParameteri(sampler, GL_TEXTURE_COMPARE_FUNC, GL_LEQUAL);
    glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, 0.0f);
    glSamplerParameterf(sampler, GL_TEXTURE_MAX_LOD, FLT_MAX);

    uint32_t generation = FwGL::Generation();
    auto* state = new FwSamplerState{filter, address, comparison, maxAnisotropy, sampler};
    return std::shared_ptr<FwSamplerState>(state, [generation](FwSamplerState* s) {
        if (FwGL::Owns(generation)) glDeleteSamplers(1, &s->handle);
        delete s;
    });
}

void FwDirect3D::SetBlendState(const FwBlendState* state) {
    Impl& d = *impl_;
    if (!d.ready) return;
    d.boundBlend = state ? *state : d.defaultBlend;
    d.blend = &d.boundBlend;
    ApplyBlend(*d.blend);
}

void FwDirect3D::SetDepthStencilState(const FwDepthStencilState* state) {
    Impl& d = *impl_;
    if (!d.ready) return;
    d.boundDepth = state ? *state : d.defaultDepth;
    d.depth = &d.boundDepth;
    ApplyDepth(*d.depth);
}

const FwBlendState* FwDirect3D::GetBlendState() const { return impl_->blend; }

const FwDepthStencilState* FwDirect3D::GetDepthStencilState() const { return impl_->depth; }

void FwDirect3D::SetRasterizerState(const FwRasterizerState* state) {
    Impl& d = *impl_;
    if (!d.ready) return;
    d.boundRasterizer = state ? *state : d.defaultRasterizer;
    d.rasterizer = &d.boundRasterizer;
    ApplyRasterizer(*d.rasterizer);
}

const FwRasterizerState* FwDirect3D::GetRasterizerState() const { return impl_->rasterizer; }

void FwDirect3D::SetSampler(int slot, const FwSamplerState* state) {
    Impl& d = *impl_;
    if (!d.ready || slot < 0 || slot >= kSamplerSlots) return;
    d.samplers[slot] = state;
    d.BindSampler(slot);
}

const FwSamplerState* FwDirect3D::GetSampler(int slot) const {
    return slot >= 0 && slot < kSamplerSlots ? impl_->samplers[slot] : nullptr;
}
