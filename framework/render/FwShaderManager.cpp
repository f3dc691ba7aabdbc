#include "framework/render/FwShaderManager.h"

#include "framework/render/FwGLApi.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/model/FwModel.h"
#include "framework/render/FwBuffer.h"
#include "framework/render/FwDirect3D.h"
#include "framework/render/FwGLState.h"
#include "framework/render/FwShaderBlocks.h"
#include "framework/render/FwShaderDialect.h"
#include "framework/render/FwShaders.h"
#include "framework/render/FwTexture.h"

namespace {

FwDirect3D& Device() { return FwDirect3D::GetInstance(); }

// A uniform block: CPU copy, GPU buffer, changed flag (starts set, cleared by
// an upload). Without a device the CPU copy still works and uploads wait.
// While drawing is suppressed an upload is deferred: the block stays changed
// and the next shader set-up with drawing on sends it (FlushDeferred).
template <class T>
struct Block {
    T data{};
    FwBuffer buffer;
    bool changed = true;
    bool deferred = false;
    uint32_t binding = 0;

    bool Create(uint32_t bindingPoint) {
        binding = bindingPoint;
        return buffer.Create(FwBind::Constant, sizeof(T), FwUsage::Default, &data);
    }
    void Upload() {
        if (!changed || buffer.Handle() == 0) return;
        if (Device().IsDrawingSuppressed()) {
            deferred = true;
            return;
        }
        buffer.Write(&data, sizeof(T));
        changed = false;
        deferred = false;
    }
    void FlushDeferred() {
        if (deferred) Upload();
    }
    void Bind() const {
        if (buffer.Handle() != 0) glBindBufferBase(GL_UNIFORM_BUFFER, binding, buffer.Handle());
    }
};

struct SpriteVertex {
    float x, y, z;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 20);

// A build failure goes into *failures when given (Init: start-up stops and
// shows it), else to standard error (a variant linked while drawing, which
// falls back to the general shader).
void ReportShaderFailure(const std::string& text, std::string* failures) {
    if (failures)
        *failures += text;
    else
        std::fprintf(stderr, "%s", text.c_str());
}

GLuint CompileStage(GLenum stage, const std::string& desktopText, const char* name, std::string* failures,
                    std::vector<FwShaderBinding>* bindings) {
#ifdef __EMSCRIPTEN__
    // WebGL 2 compiles the ES form of the same source.
    FwEsShader es;
    std::string reason;
    if (!FwToEsShader(desktopText, stage == GL_VERTEX_SHADER, es, reason)) {
        ReportShaderFailure(std::string("shader ") + name + ": " + reason + "\n", failures);
        return 0;
    }
    const std::string& text = es.source;
    bindings->insert(bindings->end(), es.bindings.begin(), es.bindings.end());
#else
    const std::string& text = desktopText;
    (void)bindings;
#endif
    GLuint shader = glCreateShader(stage);
    const char* source = text.c_str();
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (ok) return shader;
    char log[2048] = {};
    glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
    ReportShaderFailure(std::string("shader ") + name + " (" + (stage == GL_VERTEX_SHADER ? "vertex" : "fragment") +
                            ") failed to compile:\n" + log + "\n",
                        failures);
    glDeleteShader(shader);
    return 0;
}

// The block bindings and sampler units the desktop source names in its layout
// qualifiers, set on the linked program (the ES form only; empty otherwise).
void ApplyBindings(GLuint program, const std::vector<FwShaderBinding>& bindings) {
    if (bindings.empty()) return;
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glUseProgram(program);
    for (const FwShaderBinding& b : bindings) {
        if (b.sampler) {
            const GLint location = glGetUniformLocation(program, b.name.c_str());
            if (location >= 0) glUniform1i(location, b.binding);
        } else {
            const GLuint index = glGetUniformBlockIndex(program, b.name.c_str());
            if (index != GL_INVALID_INDEX) glUniformBlockBinding(program, index, static_cast<GLuint>(b.binding));
        }
    }
    glUseProgram(static_cast<GLuint>(current));
}

// Tests: the program whose fragment shader is broken on purpose at Init.
std::string g_brokenProgram;

GLuint LinkProgram(const std::string& vertex, const std::string& fragment, const char* name,
                   std::string* failures = nullptr) {
    std::vector<FwShaderBinding> bindings;  // what the ES form leaves to be set after linking
    GLuint vs = CompileStage(GL_VERTEX_SHADER, vertex, name, failures, &bindings);
    GLuint fs = CompileStage(GL_FRAGMENT_SHADER, g_brokenProgram == name ? fragment + "\nnot glsl;\n" : fragment, name,
                             failures, &bindings);
    GLuint program = 0;
    if (vs && fs) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        glLinkProgram(program);
        GLint ok = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &ok);
        if (!ok) {
            char log[2048] = {};
            glGetProgramInfoLog(program, sizeof(log), nullptr, log);
            ReportShaderFailure(std::string("shader ") + name + " failed to link:\n" + log + "\n", failures);
            glDeleteProgram(program);
            program = 0;
        }
    }
    if (program) ApplyBindings(program, bindings);
    if (vs) glDeleteShader(vs);
    if (fs) glDeleteShader(fs);
    return program;
}

// ---- block layout verification ----

struct FieldOffset {
    const char* name;
    size_t offset;
};

struct BlockLayout {
    const char* block;
    size_t size;
    std::vector<FieldOffset> fields;
};

std::vector<BlockLayout> CameraAndLightLayouts() {
    return {
        {"cbCamera", sizeof(FwCbCamera),
         {{"g_mV", offsetof(FwCbCamera, g_mV)},
          {"g_mP", offsetof(FwCbCamera, g_mP)},
          {"g_CamPos", offsetof(FwCbCamera, g_CamPos)},
          {"g_DistanceFogEnable", offsetof(FwCbCamera, g_DistanceFogEnable)},
          {"g_DistanceFogColor", offsetof(FwCbCamera, g_DistanceFogColor)},
          {"g_DistanceFogDensity", offsetof(FwCbCamera, g_DistanceFogDensity)}}},
        {"cbLight", sizeof(FwCbLight),
         {{"g_AmbientLight", offsetof(FwCbLight, g_AmbientLight)},
          {"g_DL_Dir", offsetof(FwCbLight, g_DL_Dir)},
          {"g_DL_Color", offsetof(FwCbLight, g_DL_Color)},
          {"g_PL[0].color", offsetof(FwCbLight, g_PL) + offsetof(FwPointLight, color)},
          {"g_PL[0].radius", offsetof(FwCbLight, g_PL) + offsetof(FwPointLight, radius)},
          {"g_PL[0].position", offsetof(FwCbLight, g_PL) + offsetof(FwPointLight, position)},
          {"g_PL[99].color", offsetof(FwCbLight, g_PL) + 99 * sizeof(FwPointLight)},
          {"g_PL_Num", offsetof(FwCbLight, g_PL_Num)}}},
    };
}

std::vector<BlockLayout> ModelLayouts() {
    std::vector<BlockLayout> layouts = CameraAndLightLayouts();
    layouts.push_back({"cbObject", sizeof(FwCbObject),
                       {{"g_mW", offsetof(FwCbObject, g_mW)},
                        {"g_UVOffset", offsetof(FwCbObject, g_UVOffset)},
                        {"g_UVTiling", offsetof(FwCbObject, g_UVTiling)},
                        {"g_LightEnable", offsetof(FwCbObject, g_LightEnable)},
                        {"g_AlphaTestThreshold", offsetof(FwCbObject, g_AlphaTestThreshold)}}});
    layouts.push_back({"cbMaterial", sizeof(FwCbMaterial),
                       {{"g_Material.baseColor", offsetof(FwCbMaterial, baseColor)},
                        {"g_Material.emissive", offsetof(FwCbMaterial, emissive)},
                        {"g_Material.metallic", offsetof(FwCbMaterial, metallic)},
                        {"g_Material.roughness", offsetof(FwCbMaterial, roughness)}}});
    return layouts;
}

std::vector<BlockLayout> EffectLayouts() {
    return {{"cbPerObject", sizeof(FwCbPerObject),
             {{"g_mW", offsetof(FwCbPerObject, g_mW)},
              {"g_UVOffset", offsetof(FwCbPerObject, g_UVOffset)},
              {"g_UVTiling", offsetof(FwCbPerObject, g_UVTiling)},
              {"g_AlphaTestThreshold", offsetof(FwCbPerObject, g_AlphaTestThreshold)}}},
            CameraAndLightLayouts()[0]};
}

std::vector<BlockLayout> SpriteLayouts() {
    return {{"cbSprite", sizeof(FwCbSprite),
             {{"g_mTransform", offsetof(FwCbSprite, g_mTransform)}, {"g_color", offsetof(FwCbSprite, g_color)}}},
            {"cbProjection", sizeof(FwCbProjection), {{"g_mProj", offsetof(FwCbProjection, g_mProj)}}}};
}

bool VerifyProgram(GLuint program, const char* programName, const std::vector<BlockLayout>& layouts,
                   std::string& report) {
    bool ok = true;
    auto mismatch = [&](const std::string& text) {
        report += std::string(programName) + ": " + text + "\n";
        ok = false;
    };
    for (const BlockLayout& layout : layouts) {
        GLuint blockIndex = glGetUniformBlockIndex(program, layout.block);
        if (blockIndex == GL_INVALID_INDEX) {
            mismatch(std::string(layout.block) + " missing");
            continue;
        }
        GLint size = 0;
        glGetActiveUniformBlockiv(program, blockIndex, GL_UNIFORM_BLOCK_DATA_SIZE, &size);
        if (static_cast<size_t>(size) > layout.size)
            mismatch(std::string(layout.block) + " is " + std::to_string(size) + " bytes, CPU copy " +
                     std::to_string(layout.size));
        for (const FieldOffset& field : layout.fields) {
            GLuint index = GL_INVALID_INDEX;
            glGetUniformIndices(program, 1, &field.name, &index);
            if (index == GL_INVALID_INDEX) {
                mismatch(std::string(field.name) + " missing");
                continue;
            }
            GLint offset = -1;
            glGetActiveUniformsiv(program, 1, &index, GL_UNIFORM_OFFSET, &offset);
            if (static_cast<size_t>(offset) != field.offset)
                mismatch(std::string(field.name) + " at " + std::to_string(offset) + ", CPU copy at " +
                         std::to_string(field.offset));
        }
    }
    return ok;
}

// A see-through subset waiting for the end of its model's opaque part.
struct SeeThroughSubset {
    size_t node;
    int subset;
    float viewDepth;  // of the subset's centre; larger is farther
};

// Reference shading is a program-wide choice that outlives Init and Release.
bool g_referenceShading = false;

// Solid triangles a model needs for its depth pre-pass to pay on a software
// rasteriser: the title room (about 9,700) gains a sixth of its frame, the
// stages (a few hundred large triangles) lose a little.
constexpr int64_t kDepthPrepassMinTriangles = 2000;

}  // namespace

struct FwShaderManager::Impl {
    GLuint modelProgram = 0;  // the general model shader
    GLuint depthProgram = 0;  // depth pre-pass: the model vertex shader, no colour
    GLuint effectProgram = 0;
    GLuint spriteProgram = 0;
    // Specialised model shaders by ModelFeature set, linked on first use;
    // one that fails to link falls back to the general shader.
    GLuint modelVariants[FwShaders::ModelFeature::Count] = {};
    GLuint currentProgram = 0;  // what glUseProgram last bound through this class
    GLuint materialProgram = 0;  // the model program of the material bound last

    Block<FwCbObject> object;
    Block<FwCbMaterial> material;
    Block<FwCbPerObject> perObject;
    Block<FwCbSprite> sprite;
    Block<FwCbProjection> projection;
    Block<FwCbCamera> camera;
    Block<FwCbLight> light;
    Matrix world;  // SetWorldMatrix: kept here, written into cbObject per node

    std::shared_ptr<FwSamplerState> pointWrap;
    std::shared_ptr<FwSamplerState> linearWrap;
    std::shared_ptr<FwDepthStencilState> spriteDepth;  // no test, no write
    std::shared_ptr<FwRasterizerState> spriteRasterizer;  // no culling
    std::shared_ptr<FwBlendState> opaqueBlend;             // solid subsets
    std::vector<SeeThroughSubset> seeThrough;              // DrawModel's scratch list

    bool begun = false;
    // Saved by value: the device hands out its own copy of the bound state,
    // which binding the sprite states overwrites.
    FwDepthStencilState savedDepth;
    FwRasterizerState savedRasterizer;
    const FwSamplerState* savedSampler = nullptr;

    bool Gpu() const { return modelProgram != 0 && FwGL::Live() && Device().IsReady(); }

    // Camera and light are uploaded by the scenes' UpdateCamera and
    // UpdateLight only; one deferred while drawing was suppressed goes now.
    void BindSharedBlocks() {
        camera.FlushDeferred();
        light.FlushDeferred();
        camera.Bind();
        light.Bind();
    }
    void UseProgram(GLuint program) {
        if (program == currentProgram) return;
        glUseProgram(program);
        currentProgram = program;
    }
    // The model shader for a feature set: the general one in reference
    // shading, else the specialised one (linked on first use).
    GLuint ModelProgram(uint32_t features) {
        if (g_referenceShading) return modelProgram;
        GLuint& program = modelVariants[features];
        if (program == 0) {
            program = LinkProgram(FwShaders::ModelVertex(), FwShaders::ModelFragment(features), "model variant");
            if (program == 0) program = modelProgram;
        }
        return program;
    }
    // Binds a material's constants, textures and model shader; solid as
    // IsSolid tells for the subset.
    void BindMaterial(const FwModelMaterial& m, float alpha, bool solid) {
        material.data.baseColor = {m.baseColor.x, m.baseColor.y, m.baseColor.z, m.baseColor.w * alpha};
        material.data.emissive = m.emissive;
        material.data.metallic = m.metallic;
        material.data.roughness = m.roughness;
        material.changed = true;
        material.Upload();
        const FwTexture* base = OrDefault(m.baseColorTexture);
        const FwTexture* emissive = OrDefault(m.emissiveTexture);
        const FwTexture* metalRough = OrDefault(m.metallicRoughnessTexture);
        uint32_t features = Features(base, emissive, metalRough, m.emissive);
        // The alpha test cannot discard a colour of alpha 1 under a
        // threshold below it; without the test the rasteriser may reject
        // hidden pixels before shading them.
        if (solid && object.data.g_AlphaTestThreshold < 0.5f) features |= FwShaders::ModelFeature::NoAlphaTest;
        materialProgram = ModelProgram(features);
        UseProgram(materialProgram);
        // A specialised shader reads only the units it samples.
        using namespace FwShaders::ModelFeature;
        const bool all = g_referenceShading;
        if (all || (features & BaseTexture)) Device().SetTexture(0, base);
        if (all || (features & EmissiveTexture)) Device().SetTexture(1, emissive);
        if (all || (features & MetalRoughTexture)) Device().SetTexture(2, metalRough);
    }
    // What a material needs of the model shader: a texture that is the
    // white default reads as 1 and is left out, as is an emissive term whose
    // factor is zero; point lights and fog only when the scene has them.
    uint32_t Features(const FwTexture* base, const FwTexture* emissive, const FwTexture* metalRough,
                      const Vector3& emissiveFactor) const {
        using namespace FwShaders::ModelFeature;
        const FwTexture* white = Device().GetDefaultTexture().get();
        uint32_t features = 0;
        if (base != white) features |= BaseTexture;
        if (metalRough != white) features |= MetalRoughTexture;
        if (emissiveFactor.x != 0.0f || emissiveFactor.y != 0.0f || emissiveFactor.z != 0.0f) {
            features |= EmissiveFactor;
            if (emissive != white) features |= emissive == base ? EmissiveIsBase : EmissiveTexture;
        }
        if (light.data.g_PL_Num > 0) features |= PointLights;
        if (camera.data.g_DistanceFogEnable != 0) features |= Fog;
        return features;
    }
    static const FwTexture* OrDefault(const std::shared_ptr<FwTexture>& texture) {
        if (texture && !texture->IsEmpty()) return texture.get();
        return Device().GetDefaultTexture().get();
    }
    // The depth of a model's solid subsets first, with colour writes off,
    // then (the caller's colour pass) only the nearest fragment of each pixel
    // passes the depth test and is shaded. The last fragment drawn at the
    // nearest depth still wins, as without the pre-pass, so no pixel changes.
    // It pays for detailed models that hide much of themselves (the title
    // room) and costs more than it saves for simple ones (the stages).
    template <class NodeWorld>
    void DepthPrepass(const FwModel& model, const NodeWorld& nodeWorld, float alpha) {
        const FwDepthStencilState* depth = Device().GetDepthStencilState();
        if (depthProgram == 0 || !depth || !depth->depthTest || !depth->depthWrite) return;
        const std::vector<FwModelNode>& nodes = model.Nodes();
        const std::vector<FwModelMaterial>& materials = model.Materials();
        auto solid = [&](const FwModelNode& node, const FwMeshSubset& subset) {
            int32_t m = subset.materialIndex;
            return subset.faceCount > 0 && m >= 0 && static_cast<size_t>(m) < materials.size() &&
                   !materials[m].IsSeeThrough() && IsSolid(materials[m], alpha, *node.mesh);
        };
        int64_t triangles = 0;
        for (const FwModelNode& node : nodes)
            if (node.mesh)
                for (const FwMeshSubset& subset : node.mesh->Subsets())
                    if (solid(node, subset)) triangles += subset.faceCount;
        if (triangles < kDepthPrepassMinTriangles) return;

        UseProgram(depthProgram);
        glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
        for (size_t i = 0; i < nodes.size(); ++i) {
            const FwModelNode& node = nodes[i];
            if (!node.mesh) continue;
            bool placed = false;
            const std::vector<FwMeshSubset>& subsets = node.mesh->Subsets();
            for (size_t k = 0; k < subsets.size(); ++k) {
                if (!solid(node, subsets[k])) continue;
                if (!placed) {
                    node.mesh->SetToDevice();
                    object.data.g_mW = nodeWorld(i);
                    object.changed = true;
                    object.Upload();
                    placed = true;
                }
                node.mesh->DrawSubset(static_cast<int>(k));
            }
        }
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    // Whether blending can be off for a subset without changing its pixels:
    // under the alpha blend, a colour whose alpha is exactly 1 everywhere
    // (material, alpha factor, every texel of the base image and every
    // vertex colour) replaces the target as it would unblended.
    static bool IsSolid(const FwModelMaterial& m, float alpha, const FwMesh& mesh) {
        return alpha == 1.0f && m.baseColor.w == 1.0f && OrDefault(m.baseColorTexture)->IsOpaque() &&
               mesh.OpaqueVertexColors();
    }
};

FwShaderManager& FwShaderManager::GetInstance() {
    static FwShaderManager instance;
    return instance;
}

FwShaderManager::FwShaderManager() : impl_(std::make_unique<Impl>()) {}
FwShaderManager::~FwShaderManager() = default;

void FwShaderManager::BreakProgramForTests(const std::string& name) { g_brokenProgram = name; }

bool FwShaderManager::Init(std::string* errorText) {
    Release();
    Impl& s = *impl_;
    FwDirect3D& device = Device();
    if (device.Width() > 0 && device.Height() > 0)
        s.camera.data.g_mP = MatrixPerspectiveFovLH(60.0f * kDegToRad,
                                                    static_cast<float>(device.Width()) / device.Height(), 0.01f,
                                                    1000.0f);
    std::string failures;
    auto fail = [&failures, errorText]() {
        if (errorText)
            *errorText = failures;
        else
            std::fprintf(stderr, "%s", failures.c_str());
        return false;
    };
    if (!device.IsReady()) {
        failures = "no graphics device\n";
        return fail();
    }

    s.modelProgram = LinkProgram(FwShaders::ModelVertex(), FwShaders::ModelFragment(), "model", &failures);
    s.effectProgram = LinkProgram(FwShaders::EffectVertex(), FwShaders::EffectFragment(), "effect", &failures);
    s.spriteProgram = LinkProgram(FwShaders::SpriteVertex(), FwShaders::SpriteFragment(), "sprite", &failures);
    s.depthProgram =
        LinkProgram(FwShaders::ModelVertex(), FwShaders::ModelDepthFragment(), "model depth", &failures);
    if (!failures.empty()) return fail();
    bool ok = true;
    ok = s.object.Create(FwBlockBinding::Object) && ok;
    ok = s.material.Create(FwBlockBinding::Material) && ok;
    ok = s.perObject.Create(FwBlockBinding::PerObject) && ok;
    ok = s.sprite.Create(FwBlockBinding::Sprite) && ok;
    ok = s.projection.Create(FwBlockBinding::Projection) && ok;
    ok = s.camera.Create(FwBlockBinding::Camera) && ok;
    ok = s.light.Create(FwBlockBinding::Light) && ok;

    s.pointWrap = device.CreateSamplerState(FwFilter::Point, FwAddress::Wrap, false);
    s.linearWrap = device.CreateSamplerState(FwFilter::Linear, FwAddress::Wrap, false);
    s.spriteDepth = device.CreateDepthStencilState(false, false);
    s.spriteRasterizer = device.CreateRasterizerState(FwCullMode::None, FwFillMode::Solid, true, false);
    s.opaqueBlend = device.CreateBlendState(FwBlendMode::Opaque);
    ok = ok && s.pointWrap && s.linearWrap && s.spriteDepth && s.spriteRasterizer;
    if (!ok) {
        failures = "the shaders' constant buffers or states could not be created\n";
        return fail();
    }

    std::string report;
    if (!VerifyBlockLayouts(report)) {
        failures = "uniform block layout mismatch:\n" + report;
        return fail();
    }
    s.BindSharedBlocks();
    return true;
}

void FwShaderManager::Release() {
    Impl& s = *impl_;
    if (FwGL::Live()) {
        for (GLuint program : {s.modelProgram, s.effectProgram, s.spriteProgram, s.depthProgram})
            if (program) glDeleteProgram(program);
        for (GLuint program : s.modelVariants)
            if (program && program != s.modelProgram) glDeleteProgram(program);
    }
    impl_ = std::make_unique<Impl>();  // buffers and states go with the old copy
}

bool FwShaderManager::VerifyBlockLayouts(std::string& report) const {
    const Impl& s = *impl_;
    if (!s.Gpu() || !s.effectProgram || !s.spriteProgram) {
        report += "shader programs do not exist\n";
        return false;
    }
    bool ok = VerifyProgram(s.modelProgram, "model", ModelLayouts(), report);
    ok = VerifyProgram(s.effectProgram, "effect", EffectLayouts(), report) && ok;
    ok = VerifyProgram(s.spriteProgram, "sprite", SpriteLayouts(), report) && ok;
    return ok;
}

// ---- sprite pass ----

void FwShaderManager::Begin(bool linear, bool depthOff) {
    Impl& s = *impl_;
    if (s.begun) return;
    s.begun = true;
    FwDirect3D& device = Device();
    device.BeginOverlay();

    int x = 0, y = 0, width = 0, height = 0;
    device.GetViewport(x, y, width, height);
    s.projection.data.g_mProj = width > 0 && height > 0
                                    ? MatrixOrthographicLH(static_cast<float>(width), static_cast<float>(height), 0.0f, 1.0f)
                                    : Matrix::Identity();
    s.projection.changed = true;
    s.projection.Upload();

    if (const FwDepthStencilState* depth = device.GetDepthStencilState()) s.savedDepth = *depth;
    if (const FwRasterizerState* rasterizer = device.GetRasterizerState()) s.savedRasterizer = *rasterizer;
    s.savedSampler = device.GetSampler(0);
    if (depthOff) device.SetDepthStencilState(s.spriteDepth.get());
    device.SetSampler(0, linear ? s.linearWrap.get() : s.pointWrap.get());
    device.SetRasterizerState(s.spriteRasterizer.get());

    if (!s.Gpu()) return;
    s.UseProgram(s.spriteProgram);
    device.SetInputLayout(FwInputLayout::Sprite20);
    s.sprite.Bind();
    s.projection.Bind();
}

void FwShaderManager::End() {
    Impl& s = *impl_;
    if (!s.begun) return;
    s.begun = false;
    FwDirect3D& device = Device();
    device.SetDepthStencilState(&s.savedDepth);
    device.SetRasterizerState(&s.savedRasterizer);
    device.SetSampler(0, s.savedSampler);
}

void FwShaderManager::SetReferenceShading(bool reference) { g_referenceShading = reference; }
bool FwShaderManager::IsReferenceShading() const { return g_referenceShading; }

bool FwShaderManager::IsBegun() const { return impl_->begun; }

void FwShaderManager::SetSpriteWorld(const Matrix& world) {
    impl_->sprite.data.g_mTransform = world;
    impl_->sprite.changed = true;
}

Vector4 FwShaderManager::SpriteQuad(float x, float y, float width, float height, const Vector2& pivot) {
    float left = x - width * pivot.x;
    float bottom = y - height * pivot.y;
    return {left, left + width, bottom, bottom + height};
}

Vector4 FwShaderManager::SpriteUV(int textureWidth, int textureHeight, const FwRect* src, bool bottomUp) {
    float u0 = 0.0f, u1 = 1.0f, vTop = 0.0f, vBottom = 1.0f;
    if (src && textureWidth > 0 && textureHeight > 0) {
        float w = static_cast<float>(textureWidth), h = static_cast<float>(textureHeight);
        u0 = src->x / w;
        u1 = (src->x + src->width) / w;
        vTop = src->y / h;
        vBottom = (src->y + src->height) / h;
    }
    if (bottomUp) {
        vTop = 1.0f - vTop;
        vBottom = 1.0f - vBottom;
    }
    return {u0, u1, vTop, vBottom};
}

void FwShaderManager::DrawTex(const FwTexture* texture, float x, float y, float width, float height, const FwRect* src,
                              const Vector4* color, const Vector2& pivot) {
    if (!texture) return;
    Impl& s = *impl_;
    if (color) {
        s.sprite.data.g_color = *color;
        s.sprite.changed = true;
    }
    FwDirect3D& device = Device();
    // The colour is kept for later sprites either way; a pass of its own
    // would only save and restore states.
    if (device.IsDrawingSuppressed()) return;
    // Under alpha or additive blending a sprite of alpha 0 (or below, which
    // the target clamps to 0) leaves every pixel as it was: the faded-out
    // full-screen fade would otherwise cost a whole screen of pixels.
    const FwBlendState* blend = device.GetBlendState();
    if (!g_referenceShading && s.sprite.data.g_color.w <= 0.0f && blend && blend->mode != FwBlendMode::Opaque) return;
    bool ownPass = !s.begun;
    if (ownPass) Begin(false, true);

    device.SetTexture(0, texture);
    s.sprite.Upload();

    // An empty texture has no size to map a source rectangle against; it
    // would draw nothing visible anyway.
    if (!texture->IsEmpty() && texture->Width() > 0 && texture->Height() > 0) {
        Vector4 q = SpriteQuad(x, y, width, height, pivot);  // left, right, bottom, top
        Vector4 uv = SpriteUV(texture->Width(), texture->Height(), src, texture->BottomUp());
        const SpriteVertex quad[4] = {
            {q.x, q.w, 0.0f, uv.x, uv.z},  // left top
            {q.y, q.w, 0.0f, uv.y, uv.z},  // right top
            {q.x, q.z, 0.0f, uv.x, uv.w},  // left bottom
            {q.y, q.z, 0.0f, uv.y, uv.w},  // right bottom
        };
        device.DrawVertices(FwTopology::TriangleStrip, 4, quad, sizeof(SpriteVertex));
    }
    device.SetTexture(0, nullptr);
    if (ownPass) End();
}

// ---- camera and light ----

void FwShaderManager::SetViewMatrix(const Matrix& view) {
    Impl& s = *impl_;
    s.camera.data.g_mV = view;
    s.camera.data.g_CamPos = MatrixInverse(view).Translation();
    s.camera.changed = true;
}

void FwShaderManager::SetProjMatrix(const Matrix& proj) {
    impl_->camera.data.g_mP = proj;
    impl_->camera.changed = true;
}

void FwShaderManager::SetCameraPos(const Vector3& pos) {
    impl_->camera.data.g_CamPos = pos;
    impl_->camera.changed = true;
}

const Matrix& FwShaderManager::GetViewMatrix() const { return impl_->camera.data.g_mV; }
const Matrix& FwShaderManager::GetProjMatrix() const { return impl_->camera.data.g_mP; }
const Vector3& FwShaderManager::GetCameraPos() const { return impl_->camera.data.g_CamPos; }
void FwShaderManager::UpdateCamera() { impl_->camera.Upload(); }

void FwShaderManager::SetAmbientLight(const Vector3& color) {
    impl_->light.data.g_AmbientLight = color;
    impl_->light.changed = true;
}

void FwShaderManager::SetDirectionalLightDir(const Vector3& dirNormalised) {
    impl_->light.data.g_DL_Dir = dirNormalised;
    impl_->light.changed = true;
}

void FwShaderManager::SetDirectionalLightColor(const Vector3& color) {
    impl_->light.data.g_DL_Color = color;
    impl_->light.changed = true;
}

void FwShaderManager::UpdateLight() { impl_->light.Upload(); }

// ---- model shader ----

void FwShaderManager::SetModelShader() {
    Impl& s = *impl_;
    if (!s.Gpu()) return;
    s.UseProgram(s.modelProgram);
    Device().SetInputLayout(FwInputLayout::Model36);
    s.object.Bind();
    s.material.Bind();
    s.BindSharedBlocks();
}

void FwShaderManager::SetWorldMatrix(const Matrix& world) { impl_->world = world; }

void FwShaderManager::DrawModel(const FwModel* model, const Matrix* nodeMatrices, size_t nodeMatrixCount) {
    DrawModel(model, 1.0f, nodeMatrices, nodeMatrixCount);
}

void FwShaderManager::DrawModel(const FwModel* model, float alpha, const Matrix* nodeMatrices,
                                size_t nodeMatrixCount) {
    Impl& s = *impl_;
    FwDirect3D& device = Device();
    if (!model || !s.Gpu() || device.IsDrawingSuppressed()) return;
    const std::vector<FwModelNode>& nodes = model->Nodes();
    const std::vector<FwModelMaterial>& materials = model->Materials();
    auto nodeWorld = [&](size_t i) {
        return (nodeMatrices && i < nodeMatrixCount ? nodeMatrices[i] : nodes[i].matrix) * s.world;
    };
    auto uploadWorld = [&](const Matrix& world) {
        s.object.data.g_mW = world;
        s.object.changed = true;
        s.object.Upload();
    };
    // -1, or an index the material list does not have (a model without
    // materials records 0): such a subset draws with the bound material.
    auto materialOf = [&](const FwMeshSubset& subset) -> const FwModelMaterial* {
        int32_t m = subset.materialIndex;
        return m >= 0 && static_cast<size_t>(m) < materials.size() ? &materials[m] : nullptr;
    };

    // With the full alpha the model's see-through subsets wait for the end;
    // a model drawn faded keeps its file order and the caller's states.
    const bool sortSeeThrough = alpha >= 1.0f;
    // Blending may be switched off per solid subset under the default alpha
    // blend only; the caller's blend comes back after the model.
    const FwBlendState callerBlend = device.GetBlendState() ? *device.GetBlendState() : FwBlendState{};
    const bool dropBlend = !g_referenceShading && callerBlend.mode == FwBlendMode::Alpha && s.opaqueBlend;
    bool blendDropped = false;
    s.seeThrough.clear();

    if (!g_referenceShading && sortSeeThrough) s.DepthPrepass(*model, nodeWorld, alpha);

    for (size_t i = 0; i < nodes.size(); ++i) {
        const FwModelNode& node = nodes[i];
        if (!node.mesh) continue;
        bool placed = false;
        const std::vector<FwMeshSubset>& subsets = node.mesh->Subsets();
        for (size_t k = 0; k < subsets.size(); ++k) {
            if (subsets[k].faceCount <= 0) continue;
            const FwModelMaterial* material = materialOf(subsets[k]);
            if (sortSeeThrough && material && material->IsSeeThrough()) {
                s.seeThrough.push_back({i, static_cast<int>(k), 0.0f});
                continue;
            }
            if (!placed) {
                node.mesh->SetToDevice();
                uploadWorld(nodeWorld(i));
                placed = true;
            }
            const bool solid = material && Impl::IsSolid(*material, alpha, *node.mesh);
            if (material) s.BindMaterial(*material, alpha, solid);
            else s.UseProgram(s.materialProgram ? s.materialProgram : s.modelProgram);
            if (dropBlend && solid != blendDropped) {
                device.SetBlendState(solid ? s.opaqueBlend.get() : &callerBlend);
                blendDropped = solid;
            }
            node.mesh->DrawSubset(static_cast<int>(k));
        }
    }
    if (blendDropped) device.SetBlendState(&callerBlend);
    if (s.seeThrough.empty()) return;

    // Farthest first by the depth of each subset's centre in view space;
    // they test against the depth buffer but leave it as it is.
    const Matrix& view = s.camera.data.g_mV;
    for (SeeThroughSubset& entry : s.seeThrough)
        entry.viewDepth =
            TransformCoord(nodes[entry.node].mesh->SubsetCenter(entry.subset), nodeWorld(entry.node) * view).z;
    std::stable_sort(s.seeThrough.begin(), s.seeThrough.end(),
                     [](const SeeThroughSubset& a, const SeeThroughSubset& b) { return a.viewDepth > b.viewDepth; });
    const FwDepthStencilState callerDepth =
        device.GetDepthStencilState() ? *device.GetDepthStencilState() : FwDepthStencilState{};
    const FwDepthStencilState noDepthWrite{callerDepth.depthTest, false};
    device.SetDepthStencilState(&noDepthWrite);
    size_t placedNode = nodes.size();
    for (const SeeThroughSubset& entry : s.seeThrough) {
        const FwMesh& mesh = *nodes[entry.node].mesh;
        if (entry.node != placedNode) {
            mesh.SetToDevice();
            uploadWorld(nodeWorld(entry.node));
            placedNode = entry.node;
        }
        s.BindMaterial(*materialOf(mesh.Subsets()[entry.subset]), alpha, false);
        mesh.DrawSubset(entry.subset);
    }
    device.SetDepthStencilState(&callerDepth);
}

// ---- effect shader ----

void FwShaderManager::SetEffectShader() {
    Impl& s = *impl_;
    if (!s.Gpu()) return;
    s.UseProgram(s.effectProgram);
    Device().SetInputLayout(FwInputLayout::Effect36);
    s.perObject.Bind();
    s.BindSharedBlocks();
}

void FwShaderManager::SetEffectWorld(const Matrix& world) {
    Impl& s = *impl_;
    s.perObject.data.g_mW = world;
    s.perObject.changed = true;
    s.perObject.Upload();
}
