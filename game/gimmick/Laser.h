// Laser fences: emitters firing horizontal beams that fail the attempt when
// they touch the player, switched off while their ReturnButton is held down.
//
// The beams never query the world: the game scene casts each beam's blocking
// ray (boxes, doors, windows, showcase, stage) and hands the distance over;
// the group tests the player against the beam up to that distance.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "framework/math/FwMath.h"
#include "framework/render/FwBuffer.h"
#include "framework/render/FwShaderManager.h"

class FwModel;
class FwTexture;
class FwSoundInstance;
class ReturnButton;

// One emitter and its beam.
class Laser {
public:
    static constexpr float kWidestHalfWidth = 0.2f;
    static constexpr float kNarrowestHalfWidth = 0.15f;
    static constexpr float kOffHalfWidth = 0.0f;     // drawn only while wider than this
    static constexpr float kWidthStep = 0.01f;       // pulse and thinning per frame
    static constexpr float kBeamStartOffset = 1.0f;  // beam starts this far in front of the body
    // Longest beam: a blocking distance that is a miss (the largest float),
    // not finite or longer than this is cut to it, so the quad stays finite.
    static constexpr float kMaxBeamLength = 1000.0f;
    static constexpr int kBeamVertexCount = 4;

    // Return-laser group constructor: body centre, angle in degrees about
    // the vertical axis (0 fires along +z, 90 along +x).
    Laser(const Vector3& position, float angleDegrees);

    // Return-laser group, each frame while active: buttonOn is the group
    // button's IsOn, blockedDistance the distance of the first blocking
    // object along the beam, playerForward the player's unit look direction
    // (the quad is turned across it). Sets length and end, steps the width
    // pulse and rewrites the quad.
    void UpdateBeam(bool buttonOn, float blockedDistance, const Vector3& playerForward);
    // Group Draw, game scene 3D pass: the body model.
    void Draw() const;
    // Group DrawBeams, with the effect shader and the scene's blend state:
    // the beam quad (world-space vertices). Returns whether the beam was
    // submitted, i.e. it is wider than kOffHalfWidth.
    bool DrawBeam() const;

    // Game scene, for the blocking ray: start and direction of the beam.
    const Vector3& GetBeamStart() const { return beamStart_; }
    const Vector3& GetDirection() const { return direction_; }
    float GetBeamLength() const { return beamLength_; }
    const Vector3& GetBeamEnd() const { return beamEnd_; }
    const Vector3& GetPosition() const { return position_; }
    const Matrix& GetBodyWorld() const { return bodyWorld_; }
    float GetHalfWidth() const { return halfWidth_; }
    bool IsVisible() const { return halfWidth_ > kOffHalfWidth; }
    // Tests: the quad as last built and its GPU copy.
    const std::array<FwEffectVertex, kBeamVertexCount>& GetBeamVertices() const { return vertices_; }
    const FwBuffer& GetBeamBuffer() const { return beamBuffer_; }

private:
    void StepWidth(bool buttonOn);

    Vector3 position_;
    Matrix translation_;
    Matrix rotation_;
    float beamLength_ = 0.0f;
    float halfWidth_ = kWidestHalfWidth;
    bool narrowing_ = true;
    Matrix bodyWorld_;
    FwModel* bodyModel_ = nullptr;
    Vector3 direction_;
    std::array<FwEffectVertex, kBeamVertexCount> vertices_;
    FwBuffer beamBuffer_;
    FwTexture* beamTexture_ = nullptr;
    Vector3 beamStart_;
    Vector3 beamEnd_;
    Vector3 beamAxis_;
};

// A row of lasers and the return button that switches them off. Works only
// near the player: inactive groups neither update nor draw their beams.
class Gimmick_ReturnLaser {
public:
    static constexpr float kActivationRadius = 75.0f;
    static constexpr float kHitVolume = 1.0f;

    // Game scene, from a laser record: laser i (from 0) stands at
    // firstPosition + i x offset; all share the angle. A negative count
    // makes no lasers.
    Gimmick_ReturnLaser(const Vector3& buttonPosition, int count, const Vector3& firstPosition,
                        const Vector3& offset, float angleDegrees);

    // Game scene, each frame after its press test: the button's Update, then
    // the activation test against the player's eye position and radius.
    // Returns the new active flag.
    bool UpdateButton(bool pressed, const Vector3& playerPosition, float playerRadius);
    // Game scene, while active, for each laser after its blocking ray:
    // updates the beam and, unless the button is on, the group is inactive,
    // it already hit or the player already failed, tests the player's
    // collision model (placed by the camera world) against the beam up to
    // the blocking object. A hit is kept for the rest of the stage and plays
    // the hit sound once. An index out of range does nothing.
    void UpdateLaser(int index, float blockedDistance, const Vector3& playerForward, bool playerFailed,
                     const FwModel* playerModel, const Matrix& playerWorld);
    // Game scene 3D pass: the button, then every laser body.
    void Draw() const;
    // Game scene effect pass (additive blend, depth write off), only while
    // active: every beam. Returns how many beams were submitted.
    int DrawBeams() const;

    bool IsActive() const { return active_; }
    // Game scene, start of its update: a beam touched the player.
    bool HasHitPlayer() const { return hasHit_; }
    int GetLaserCount() const { return static_cast<int>(lasers_.size()); }
    // Laser number i, or an empty pointer when i is out of range.
    std::shared_ptr<Laser> GetLaser(int i) const;
    const std::shared_ptr<ReturnButton>& GetButton() const { return button_; }

private:
    bool active_ = false;
    std::vector<std::shared_ptr<Laser>> lasers_;
    std::shared_ptr<ReturnButton> button_;
    bool hasHit_ = false;
    std::shared_ptr<FwSoundInstance> hitSound_;
};
