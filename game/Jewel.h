// The goal of a stage: a jewel floating and spinning above its showcase. The
// hook gun catches it when the hook strikes close enough; from the next frame
// on it rides the hook back to the player and counts as taken.
#pragma once

#include <memory>

#include "framework/math/FwMath.h"

class FwModel;
class FwSoundInstance;

class Jewel {
public:
    static constexpr float kHeightAboveShowCase = 6.0f;
    static constexpr float kRadius = 2.5f;
    static constexpr float kSpinStep = 0.1f;  // radians a frame while resting
    static constexpr float kOpacity = 1.0f;
    static constexpr float kGetVolume = 0.2f;
    // A thousand whole turns in radians: the spin drops them once past them.
    static constexpr float kSpinWrap = 6283.18531f;

    // Game scene constructor, after the showcase: floats 6 above it.
    explicit Jewel(const Vector3& showCasePosition);

    // Game scene, each frame after the gimmicks, with the hook gun's outputs:
    // hookedNow is true only in the frame the hook strikes something; the
    // strike catches the jewel when the hook's sphere overlaps the jewel's.
    // Once caught the jewel follows objectPull and reports taken from the
    // next update on; it stops spinning at the catch.
    void Update(bool hookedNow, const Vector3& hookPosition, float hookRadius, const Vector3& objectPull);
    // Game scene 3D pass (and again over the cut-in), model shader bound.
    void Draw() const;

    // Read by the player, hook gun, staging and scene rendering mode.
    bool IsTaken() const { return taken_; }
    bool IsCaught() const { return caught_; }
    const Vector3& GetPosition() const { return position_; }
    float GetRadius() const { return kRadius; }
    float GetSpin() const { return spin_; }
    // The spin after one more resting frame.
    static float NextSpin(float spin);
    // The hook's flight ray tests the jewel through these; it is no solid.
    const Matrix& GetWorld() const { return world_; }
    FwModel* GetModel() const { return model_; }

private:
    void RebuildWorld();

    std::shared_ptr<FwSoundInstance> getSound_;
    Vector3 position_;
    float spin_ = 0.0f;
    Matrix world_;
    Matrix rotation_;
    FwModel* model_ = nullptr;
    bool caught_ = false;
    bool taken_ = false;
};
