// The hook gun: fires a hook along the crosshair, attaches to the first
// surface it comes near, reels in (dragging a hooked box), drags a jumping
// player to the hook, and pulls the jewel back once it is caught.
//
// The gun never queries the world: the game scene places it (FollowPlayer),
// casts its rays and hands the distances to Update. Other objects read its
// outputs (player pull, object pull, hooked box index, hooked-now flag).
#pragma once

#include <memory>

#include "framework/math/FwMath.h"

class FwModel;
class FwTexture;
class FwSoundInstance;

class HookGun {
public:
    enum State : int { kReady = 0, kFlying = 1, kAttached = 2, kPullingPlayer = 3, kReeling = 4 };

    static constexpr float kRadius = 0.5f;
    static constexpr float kMaxRange = 35.0f;
    static constexpr float kMaxAngle = 40.0f;
    static constexpr float kAttachDistance = 3.0f;
    static constexpr float kLinkLength = 0.5f;
    // The gun sits this far right, down and ahead of the eye, in view space.
    static constexpr float kGunOffsetX = 1.0f;
    static constexpr float kGunOffsetY = -0.5f;
    static constexpr float kGunOffsetZ = 1.0f;
    // The hook rests this far ahead of the gun while ready.
    static constexpr float kHookRestOffset = 0.6f;
    // Speeds in units a frame: a shot, the reel that drags the player, and
    // the jewel's pull (slowing by kJewelSlowdown a frame to kJewelMinSpeed).
    static constexpr float kShotSpeed = 1.5f;
    static constexpr float kPlayerPullSpeed = 1.0f;
    static constexpr float kJewelPullSpeed = 0.5f;
    static constexpr float kJewelSlowdown = 0.05f;
    static constexpr float kJewelMinSpeed = 0.1f;
    // A reeled hook has arrived within this distance of the gun.
    static constexpr float kReelArrive = 2.0f;
    // The reeled hook turns toward the gun at most this many degrees a frame.
    static constexpr float kMaxTurnDeg = 50.0f;
    // Crosshair: alpha while sighting (up to kSightAlpha) or not (down to
    // kIdleAlpha), by kCrosshairFade a frame; size in pixels.
    static constexpr float kSightAlpha = 0.5f;
    static constexpr float kIdleAlpha = 0.1f;
    static constexpr float kCrosshairFade = 0.1f;
    static constexpr float kSightCrosshairSize = 64.0f;
    static constexpr float kIdleCrosshairSize = 16.0f;

    // Game scene constructor: loads models, crosshair textures and sounds.
    HookGun();
    // Stops the chain, hook-hit and jewel-hit sounds.
    ~HookGun();
    HookGun(const HookGun&) = delete;
    HookGun& operator=(const HookGun&) = delete;

    // Game scene, after the player's steps: places the gun from the player's
    // camera; while ready, aims the flight direction at the aim point.
    void FollowPlayer(const Matrix& cameraWorld, const Vector3& aimPoint);
    // normalize(hook position - gun position); zero for a zero-length chain.
    Vector3 GetChainDirection() const;
    // Game scene, after its hook and chain rays: the state machine.
    //   in: hookDistance (ray from gun when ready, from hook when flying),
    //       hitBox (box index struck by the flying hook, -1 none), the player's
    //       forward and jumping flag, chainDistance (nearest solid between gun
    //       and hook), jewelTaken.
    void Update(float hookDistance, int hitBox, const Vector3& playerForward, bool playerJumping,
                float chainDistance, bool jewelTaken);
    // Game scene 3D pass (twice a frame during the jewel cut-in): body,
    // chain of links from hook to gun, hook. Changes nothing, so every call
    // in a frame lays the same chain.
    void Draw() const;
    // Game scene sprite pass: the crosshair.
    void Draw2D() const;

    State GetState() const { return state_; }
    float GetRadius() const { return kRadius; }
    const Vector3& GetGunPosition() const { return gunPosition_; }
    Vector3 GetHookPosition() const { return hookWorld_.Translation(); }
    const Matrix& GetHookWorld() const { return hookWorld_; }
    const Vector3& GetFlightDirection() const { return flightDirection_; }
    const Vector3& GetPlayerPull() const { return playerPull_; }
    const Vector3& GetObjectPull() const { return objectPull_; }
    int GetHookedBoxIndex() const { return hookedBoxIndex_; }
    bool IsHookedNow() const { return hookedNow_; }
    bool IsSighting() const { return sighting_; }
    float GetCrosshairAlpha() const { return crosshairAlpha_; }
    // Number of chain links Draw lays for the current hook distance.
    static int LinkCount(float chainLength);
    // World matrix of the link Draw lays at the hook end of the chain (its
    // local +z points at the gun), set by Update.
    const Matrix& GetFirstLinkWorld() const { return linkMatrix_; }
    // The link after `link`, 0.5 further toward the gun and turned 90
    // degrees about the chain (pure; Draw walks the chain with it).
    static Matrix NextLinkWorld(const Matrix& link);

private:
    void StepReady(float hookDistance);
    void StepFlying(float hookDistance, int hitBox);
    void StepAttached(const Vector3& playerForward, bool playerJumping);
    void StepPullingPlayer();
    void StepReeling();
    // Left-button press edge through the shared latch (slot 3).
    bool LeftPressEdge();
    float ChainLength() const;

    State state_ = kReady;
    FwTexture* sightingTexture_ = nullptr;
    FwTexture* noSightingTexture_ = nullptr;
    bool sighting_ = false;
    float crosshairAlpha_ = 0.5f;
    FwModel* bodyModel_ = nullptr;
    FwModel* linkModel_ = nullptr;
    FwModel* hookModel_ = nullptr;
    Vector3 gunPosition_;
    Matrix gunWorld_;
    Matrix linkMatrix_;
    Matrix hookWorld_;
    std::shared_ptr<FwSoundInstance> chainSound_;
    std::shared_ptr<FwSoundInstance> hookHitSound_;
    std::shared_ptr<FwSoundInstance> jewelHitSound_;
    float hookSpeed_ = 1.5f;
    Vector3 flightDirection_;
    Vector3 playerPull_;
    Vector3 objectPull_;
    Vector3 launchPoint_;
    float chainAngle_ = 0.0f;
    bool hookedNow_ = false;
    int hookedBoxIndex_ = -1;
    bool jewelLock_ = false;
};
