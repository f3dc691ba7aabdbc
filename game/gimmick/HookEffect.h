// Sparks at the hook tip: when the hook strikes something, ten short
// textured streaks fly out from the tip in random directions of the hook's
// local XY plane and fade out within nine frames. Every strike restarts all
// ten at the new tip.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "framework/math/FwMath.h"
#include "framework/render/FwBuffer.h"
#include "framework/render/FwShaderManager.h"

class FwTexture;

// The sparks' own random source: the classic 15-bit linear congruential
// generator, seeded with the same constant for every manager so that equal
// play gives equal bursts.
class HookEffectRandom {
public:
    static constexpr uint32_t kSeed = 1;
    static constexpr int kMax = 32767;

    // Next value in 0 .. kMax.
    int Next();

private:
    uint32_t state_ = kSeed;
};

class HookEffect {
public:
    static constexpr int kVertexCount = 4;
    static constexpr uint32_t kStride = sizeof(FwEffectVertex);
    static constexpr float kSpeed = 0.1f;      // units a frame along the streak
    static constexpr float kLifeStep = 0.1f;   // alpha lost a frame
    static constexpr float kHalfWidth = 0.1f;
    static constexpr float kHalfLength = 0.5f;

    // Hook effect manager constructor: builds the quad and its vertex buffer
    // (no buffer without a GPU; the logic runs the same), loads the texture.
    HookEffect();
    HookEffect(const HookEffect&) = delete;
    HookEffect& operator=(const HookEffect&) = delete;

    // Hook effect manager, each frame: a trigger restarts the streak at
    // tipWorld with a new direction drawn from random (one draw per
    // trigger); otherwise a live streak moves on and fades, an idle one is
    // left as it is.
    void Update(bool trigger, const Matrix& tipWorld, HookEffectRandom& random);
    // Hook effect manager draw, under the effect shader and the blend and
    // depth states the game scene sets: only while visible.
    void Draw() const;

    bool IsVisible() const { return life_ > 0.0f; }
    float GetLife() const { return life_; }
    // Unit direction of flight in the hook's local frame.
    Vector3 GetDirection() const { return TransformNormal(Vector3(0.0f, 1.0f, 0.0f), spin_); }
    const Matrix& GetPlace() const { return place_; }
    const Matrix& GetWorld() const { return world_; }
    const std::array<FwEffectVertex, kVertexCount>& GetVertices() const { return vertices_; }
    // GPU tests: the quad's vertex buffer (never created without a device).
    const FwBuffer& GetBuffer() const { return buffer_; }

private:
    Matrix step_;
    std::array<FwEffectVertex, kVertexCount> vertices_;
    FwBuffer buffer_;
    float life_ = 0.0f;
    FwTexture* texture_ = nullptr;
    Matrix spin_;
    Matrix place_;
    Matrix world_;
};

class HookEffectManager {
public:
    static constexpr int kCount = 10;

    // Game scene constructor: the ten streaks and a freshly seeded random source.
    HookEffectManager();

    // Game scene, each frame after the hook gun: trigger = the gun's
    // hooked-now flag, tipWorld = its hook world matrix.
    void Update(bool trigger, const Matrix& tipWorld);
    // Game scene 3D pass, late, under the effect shader with additive
    // blending and depth writes off.
    void Draw() const;

    // Harness trace: streaks drawn this frame.
    int VisibleCount() const;
    const HookEffect& GetEffect(int index) const { return *effects_[index]; }

private:
    HookEffectRandom random_;
    std::array<std::shared_ptr<HookEffect>, kCount> effects_;
};
