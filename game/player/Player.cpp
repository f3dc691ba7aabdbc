#include "game/player/Player.h"

#include <algorithm>

#include "game/profile/Profile.h"
#include "scene/KeyLatch.h"
#include "framework/audio/FwAudio.h"
#include "framework/resource/FwResourceFactory.h"

namespace {

bool IsZero(const Vector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }

void StopIfPlaying(const std::shared_ptr<FwSoundInstance>& s) {
    if (s && s->IsPlaying()) s->Stop();
}
bool IsPlaying(const std::shared_ptr<FwSoundInstance>& s) { return s && s->IsPlaying(); }
}  // namespace

Player::Player() {
    auto& res = FwResourceFactory::GetInstance();
    collisionModel_ = res.GetModel("GameScene/Player/CollisionModel.gltf");
    landingSound_ = res.GetSound("Player/Landing.wav", kSoundVolume, false);
    footstepSound_ = res.GetSound("Player/FootStep.wav", kSoundVolume, false);

    FwPlatform& platform = FwGetPlatform();
    cursorCenter_ = platform.ClientToScreen(FwPoint{640, 360});
    platform.SetCursorPos(cursorCenter_);
}

Player::~Player() {
    StopIfPlaying(landingSound_);
    StopIfPlaying(footstepSound_);
}

void Player::Update(const Vector3& pull, bool stop, bool hitByLaser) {
    MouseLook(stop);

    if (!stop) {
        if (IsZero(pull)) {
            pulled_ = false;
            ReadMoveKeys();
            if (moving_) Walk();
            fov_ = std::max(fov_ - kFovNarrowStep, kWalkFov);
        } else {
            pulled_ = true;
            move_ = pull;
            position_ += pull;
            fov_ = std::min(fov_ + kFovWidenStep, kPulledFov);
        }
    } else {
        StopIfPlaying(landingSound_);
    }

    if (!failed_) {
        failed_ = hitByLaser || position_.y < -kFailHeight || position_.y > kFailHeight;
    }
}

void Player::MouseLook(bool stop) {
    if (stop) return;

    if (failed_) {
        // The view sinks toward the floor while the stage restarts.
        pitch_ = std::min(pitch_ + kFailedPitchStep, kPitchLimit);
    } else {
        FwPlatform& platform = FwGetPlatform();
        if (platform.IsGameWindowActive()) {
            FwPoint cursor = platform.GetCursorPos();
            int dx = cursor.x - cursorCenter_.x;
            int dy = cursor.y - cursorCenter_.y;
            // The player's sensitivity scales both axes; inverted look turns
            // a push forward into looking up.
            const Settings& settings = Profile::Active().Current();
            const float pitchSign = settings.invertLook ? -1.0f : 1.0f;
            yaw_ += static_cast<float>(dx) / kMousePixelsPerDegree * settings.mouseSensitivity;
            pitch_ += static_cast<float>(dy) / kMousePixelsPerDegree * settings.mouseSensitivity * pitchSign;
            pitch_ = std::clamp(pitch_, -kPitchLimit, kPitchLimit);
            platform.SetCursorPos(cursorCenter_);
        }
    }

    float p = pitch_ * kDegToRad;
    float y = yaw_ * kDegToRad;
    pitchMatrix_ = MatrixRotationX(p);
    yawMatrix_ = MatrixRotationY(y);
    viewRotation_ = pitchMatrix_ * yawMatrix_;
    forward_ = TransformNormal(Vector3(0.0f, 0.0f, 1.0f), viewRotation_);
}

void Player::ReadMoveKeys() {
    move_ = Vector3();
    moving_ = false;
    struct KeyDir {
        int key;
        Vector3 dir;
    };
    const Settings& settings = Profile::Active().Current();
    const KeyDir kKeys[] = {{settings.Key(InputAction::WalkForward), {0, 0, 1}},
                            {settings.Key(InputAction::WalkBack), {0, 0, -1}},
                            {settings.Key(InputAction::WalkRight), {1, 0, 0}},
                            {settings.Key(InputAction::WalkLeft), {-1, 0, 0}}};
    for (const KeyDir& k : kKeys) {
        if (FwIsKeyDown(k.key)) {
            // Walking follows the yaw only: looking down does not slow the walk.
            move_ += TransformNormal(k.dir, yawMatrix_);
            moving_ = true;
        }
    }

    KeyLatch& latch = KeyLatch::GetInstance();
    if (FwIsKeyDown(settings.Key(InputAction::Jump))) {
        if (!latch.Get(KeyLatch::kJump) && !jumping_) {
            latch.Set(KeyLatch::kJump, true);
            jumpSpeed_ = kJumpSpeed;
            jumping_ = true;
        }
    } else {
        latch.Set(KeyLatch::kJump, false);
    }

    if ((!moving_ && IsPlaying(footstepSound_)) || jumping_) StopIfPlaying(footstepSound_);
}

void Player::Walk() {
    if (IsZero(move_)) return;  // opposite keys cancel
    if (footstepSound_ && !footstepSound_->IsPlaying() && !jumping_) footstepSound_->Play(true, true);
    move_ = Normalize(move_) * kWalkSpeed;
    position_ += move_;
}

void Player::ApplyPushAndJump(bool pushHit, const Vector3& push, float ceilingDistance) {
    if (pushHit) position_ += push;
    if (jumping_) {
        float a = std::min(jumpSpeed_, ceilingDistance);
        position_.y += a;
        jumpSpeed_ = std::max(a - kJumpDeceleration, 0.0f);
    } else {
        jumpSpeed_ = 0.0f;
    }
}

void Player::ApplyGravity(bool floorHit, float floorDistance) {
    if (!pulled_) {
        if (floorHit) {
            if (floorDistance > kEyeHeight + kStepTolerance) {
                position_.y += fallSpeed_;
                fallSpeed_ = std::max(fallSpeed_ - kGravity, kMaxFallSpeed);
            } else {
                position_.y += kEyeHeight - floorDistance;
                if (fallSpeed_ != 0.0f && landingSound_) landingSound_->Play(false, true);
                fallSpeed_ = 0.0f;
                jumping_ = false;
            }
        } else {
            position_.y -= kFreeFallStep;
        }
    }
    cameraWorld_ = viewRotation_ * MatrixTranslation(position_);
}

void Player::SetAimDistance(float distance) {
    // !(d <= max) also catches NaN.
    if (!(distance <= kAimMissDistance)) distance = kAimMissDistance;
    aimPoint_ = position_ + forward_ * distance;
}
