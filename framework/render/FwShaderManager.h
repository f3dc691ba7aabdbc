// The game's three shader sets (model, effect, sprite) and their constant
// blocks (object, material, per-object effect, sprite, projection, camera,
// light). Blocks are std140 uniform blocks laid out at the byte offsets the
// game code assumes (see docs/conventions.md); each keeps a CPU copy and a
// changed flag, uploaded only when changed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "framework/math/FwMath.h"

class FwModel;
class FwTexture;

// Vertex of the effect shader (36 bytes): game-built quads.
struct FwEffectVertex {
    Vector3 position;
    Vector2 uv;
    Vector4 color{1, 1, 1, 1};
};
static_assert(sizeof(FwEffectVertex) == 36, "effect vertex layout");

// Source rectangle of a sprite, in texels.
struct FwRect {
    float x = 0, y = 0, width = 0, height = 0;
};

class FwShaderManager {
public:
    static FwShaderManager& GetInstance();

    // Application::Init after FwDirect3D::Init: builds the programs, blocks
    // and states. False when any shader does not compile or link (start-up
    // then stops): errorText, when given, receives every failing shader's
    // name and the compiler's log, else they go to standard error.
    bool Init(std::string* errorText = nullptr);
    // Tests: the named program ("model", "effect", "sprite", "model depth")
    // gets a fragment shader that does not compile at the next Init, to check
    // how start-up reports it; "" builds every program as written.
    static void BreakProgramForTests(const std::string& name);
    // Application shutdown, before FwDirect3D::Release.
    void Release();

    // ---- Sprite pass (screen pixels, origin at the screen centre, y up) ----
    // Every 2D pass calls Begin(false, true) ... End().
    void Begin(bool linear, bool depthOff);
    void End();
    bool IsBegun() const;
    void SetSpriteWorld(const Matrix& world);
    // Draws texture as a quad: left = x - width*pivot.x, bottom = y - height*pivot.y.
    // src null = whole texture; color null = keep the current sprite colour.
    void DrawTex(const FwTexture* texture, float x, float y, float width, float height, const FwRect* src,
                 const Vector4* color, const Vector2& pivot);
    // The quad corners DrawTex builds (pure, for tests): left, right, bottom, top.
    static Vector4 SpriteQuad(float x, float y, float width, float height, const Vector2& pivot);
    // The texture coordinates DrawTex gives the quad (pure, for tests): u at
    // the left and right edges, v at the top and bottom edges. src null =
    // whole texture. Render targets (bottomUp) get v flipped so their top row
    // still lands at the quad's top edge.
    static Vector4 SpriteUV(int textureWidth, int textureHeight, const FwRect* src, bool bottomUp);

    // ---- Camera block (cbCamera, slot 7) ----
    // Scenes' SetCamera: view (also stores the camera position = translation
    // of its inverse), projection, then UpdateCamera uploads if changed.
    void SetViewMatrix(const Matrix& view);
    void SetProjMatrix(const Matrix& proj);
    void SetCameraPos(const Vector3& pos);
    const Matrix& GetViewMatrix() const;
    const Matrix& GetProjMatrix() const;
    const Vector3& GetCameraPos() const;
    void UpdateCamera();

    // ---- Light block (cbLight, slot 8) ----
    void SetAmbientLight(const Vector3& color);
    void SetDirectionalLightDir(const Vector3& dirNormalised);
    void SetDirectionalLightColor(const Vector3& color);
    void UpdateLight();

    // ---- Model shader ----
    void SetModelShader();
    void SetWorldMatrix(const Matrix& world);
    // Draws every mesh node: node world = (nodeMatrices[i] when given and
    // i < count, else the node's own matrix) x world. alpha scales every
    // material's alpha (and the lit colour). A null model draws nothing.
    // With alpha 1 the see-through subsets (FwModelMaterial::IsSeeThrough)
    // follow all the others, farthest first, without depth writes; with
    // alpha below 1 every subset is drawn in file order with the states the
    // caller set. Each material gets a model shader specialised to what it
    // uses, and solid subsets under the default alpha blend are drawn with
    // blending off; neither changes a pixel.
    void DrawModel(const FwModel* model, const Matrix* nodeMatrices = nullptr, size_t nodeMatrixCount = 0);
    void DrawModel(const FwModel* model, float alpha, const Matrix* nodeMatrices = nullptr,
                   size_t nodeMatrixCount = 0);

    // ---- Effect shader (game-built quads: clock hand, laser, sparks) ----
    void SetEffectShader();
    // Writes g_mW of cbPerObject and uploads it.
    void SetEffectWorld(const Matrix& world);

    // Tests and the harness (--reference-shaders), at any time; kept across
    // Init and Release. True draws every model with the general model shader
    // and leaves out the shortcuts that must not change a pixel (specialised
    // shaders, blending off for solid subsets, skipping invisible sprites),
    // so images of both paths can be compared. Off by default.
    void SetReferenceShading(bool reference);
    bool IsReferenceShading() const;

    // Init and GPU tests: compares the uniform block offsets and sizes the GL
    // programs report with the CPU structs; false (and the mismatches in
    // report) when they differ or the programs do not exist.
    bool VerifyBlockLayouts(std::string& report) const;

private:
    FwShaderManager();
    ~FwShaderManager();
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
