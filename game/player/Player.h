// The first-person body and camera: mouse look, walking, jumping, gravity,
// landing, being dragged by the chain, and the one-way failed state.
//
// The player never queries the world. Each frame the game scene calls, in
// order: Update, then (unless failed) ApplyPushAndJump, ApplyGravity and
// SetAimDistance, feeding them the distances of its own ray queries.
#pragma once

#include <memory>

#include "framework/math/FwMath.h"
#include "framework/platform/FwPlatform.h"

class FwModel;
class FwSoundInstance;

class Player {
public:
    static constexpr float kEyeHeight = 3.0f;
    static constexpr float kRadius = 0.5f;
    static constexpr float kJumpSpeed = 1.5f;
    static constexpr float kMaxFallSpeed = -1.0f;
    static constexpr float kWalkSpeed = 0.3f;
    static constexpr float kFailHeight = 150.0f;
    // Gravity: added to the fall speed each frame, down to kMaxFallSpeed.
    static constexpr float kGravity = 0.03f;
    // A jump loses this much upward speed each frame.
    static constexpr float kJumpDeceleration = 0.1f;
    // The floor ray sees ground when it lies within kEyeHeight + this.
    static constexpr float kStepTolerance = 0.5f;
    // Fall per frame when the floor ray meets nothing at all.
    static constexpr float kFreeFallStep = 1.0f;
    // Field of view: narrows while walking, widens while the chain pulls.
    static constexpr float kWalkFov = 60.0f;
    static constexpr float kPulledFov = 90.0f;
    static constexpr float kFovNarrowStep = 5.0f;
    static constexpr float kFovWidenStep = 2.0f;
    // Mouse look: cursor pixels per degree of turn, and the pitch limit.
    static constexpr float kMousePixelsPerDegree = 4.5f;
    static constexpr float kPitchLimit = 80.0f;
    // Degrees a frame the view sinks while the stage restarts.
    static constexpr float kFailedPitchStep = 5.0f;
    static constexpr float kSoundVolume = 0.1f;
    // Where the crosshair points when its ray meets nothing (looking into a
    // pit with no floor): far, but finite, so the hook still gets a direction.
    static constexpr float kAimMissDistance = 1000.0f;

    // Game scene constructor: loads the collision model and sounds, warps the
    // cursor to the window centre.
    Player();
    // Stops the landing and footstep sounds.
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    // Game scene, first player step of the frame.
    //   in:  pull       the hook gun's player pull (zero unless dragged)
    //        stop       jewel taken: control frozen during the cut-in
    //        hitByLaser any laser group touched the player
    //   out: yaw/pitch/forward, move, position (walk or pull), fov, failed
    void Update(const Vector3& pull, bool stop, bool hitByLaser);
    // Game scene, after the wall push-out and ceiling rays.
    //   in:  pushHit/push from the wall push-out; ceilingDistance = room above
    //        the eye minus 1 (0 when no ceiling or not jumping)
    void ApplyPushAndJump(bool pushHit, const Vector3& push, float ceilingDistance);
    // Game scene, before the floor ray: moved out of a closing door's way.
    void Shove(const Vector3& move) { position_ += move; }
    // Game scene, after the floor ray: falling, landing snap, camera matrix.
    void ApplyGravity(bool floorHit, float floorDistance);
    // Game scene, after the aim ray: aim point = position + forward x distance.
    // A miss (the largest float) or any distance beyond kAimMissDistance aims
    // at kAimMissDistance.
    void SetAimDistance(float distance);

    const Vector3& GetPosition() const { return position_; }
    float GetEyeHeight() const { return kEyeHeight; }
    float GetRadius() const { return kRadius; }
    const Vector3& GetForward() const { return forward_; }
    const Matrix& GetCameraWorld() const { return cameraWorld_; }
    float GetFov() const { return fov_; }
    const Vector3& GetMove() const { return move_; }
    bool IsJumping() const { return jumping_; }
    bool IsPulled() const { return pulled_; }
    bool IsFailed() const { return failed_; }
    const Vector3& GetAimPoint() const { return aimPoint_; }
    FwModel* GetCollisionModel() const { return collisionModel_; }
    float GetYaw() const { return yaw_; }
    float GetPitch() const { return pitch_; }

private:
    void MouseLook(bool stop);
    void ReadMoveKeys();
    void Walk();

    FwPoint cursorCenter_;
    float pitch_ = 0.0f;
    float yaw_ = 0.0f;
    Matrix pitchMatrix_;
    Matrix yawMatrix_;
    Matrix viewRotation_;
    float fov_ = 60.0f;
    Vector3 forward_;
    FwModel* collisionModel_ = nullptr;
    Vector3 position_{0.0f, kEyeHeight, 0.0f};
    Matrix cameraWorld_;
    float fallSpeed_ = 0.0f;
    Vector3 aimPoint_;
    bool moving_ = false;
    bool pulled_ = false;
    Vector3 move_;
    bool jumping_ = false;
    float jumpSpeed_ = 0.0f;
    std::shared_ptr<FwSoundInstance> landingSound_;
    std::shared_ptr<FwSoundInstance> footstepSound_;
    bool failed_ = false;
};
