#include "game/player/HookGun.h"

#include <algorithm>
#include <cmath>

#include "game/profile/Profile.h"
#include "scene/KeyLatch.h"
#include "framework/audio/FwAudio.h"
#include "framework/collision/FwCollision.h"
#include "framework/platform/FwPlatform.h"
#include "framework/render/FwShaderManager.h"
#include "framework/render/FwTexture.h"
#include "framework/resource/FwResourceFactory.h"

namespace {

void PlaySound(const std::shared_ptr<FwSoundInstance>& s, bool loop) {
    if (s) s->Play(loop, true);
}
void StopIfPlaying(const std::shared_ptr<FwSoundInstance>& s) {
    if (s && s->IsPlaying()) s->Stop();
}
}  // namespace

HookGun::HookGun() {
    auto& res = FwResourceFactory::GetInstance();
    sightingTexture_ = res.GetTexture("GameScene/HookGun/Sighting.png");
    noSightingTexture_ = res.GetTexture("GameScene/HookGun/NotShghting.png");
    bodyModel_ = res.GetModel("GameScene/HookGun/Body.gltf");
    linkModel_ = res.GetModel("GameScene/HookGun/OneChain.gltf");
    hookModel_ = res.GetModel("GameScene/HookGun/Hook.gltf");
    chainSound_ = res.GetSound("HookGun/Chain.wav", 0.4f, false);
    hookHitSound_ = res.GetSound("HookGun/HookHit.wav", 0.3f, false);
    jewelHitSound_ = res.GetSound("HookGun/JewelHit.wav", 0.4f, false);
}

HookGun::~HookGun() {
    StopIfPlaying(chainSound_);
    StopIfPlaying(hookHitSound_);
    StopIfPlaying(jewelHitSound_);
}

void HookGun::FollowPlayer(const Matrix& cameraWorld, const Vector3& aimPoint) {
    // 1 to the right, 0.5 down and 1 ahead of the eye, following the view.
    gunPosition_ = cameraWorld.Translation() + TransformNormal(Vector3(kGunOffsetX, kGunOffsetY, kGunOffsetZ), cameraWorld);
    gunWorld_ = WithoutTranslation(cameraWorld) * MatrixTranslation(gunPosition_);
    if (state_ == kReady) flightDirection_ = Normalize(aimPoint - GetHookPosition());
}

Vector3 HookGun::GetChainDirection() const { return Normalize(GetHookPosition() - gunPosition_); }

float HookGun::ChainLength() const { return Length(GetHookPosition() - gunPosition_); }

bool HookGun::LeftPressEdge() {
    KeyLatch& latch = KeyLatch::GetInstance();
    if (!FwIsKeyDown(FwKey::LButton)) {
        latch.Set(KeyLatch::kLeftButton, false);
        return false;
    }
    if (latch.Get(KeyLatch::kLeftButton)) return false;
    latch.Set(KeyLatch::kLeftButton, true);
    return true;
}

void HookGun::Update(float hookDistance, int hitBox, const Vector3& playerForward, bool playerJumping,
                     float chainDistance, bool jewelTaken) {
    switch (state_) {
        case kReady: StepReady(hookDistance); break;
        case kFlying: StepFlying(hookDistance, hitBox); break;
        case kAttached: StepAttached(playerForward, playerJumping); break;
        case kPullingPlayer: StepPullingPlayer(); break;
        case kReeling: StepReeling(); break;
        default: break;
    }

    linkMatrix_ = MatrixInverse(MatrixLookAtLH(GetHookPosition(), gunPosition_, Vector3(0.0f, 1.0f, 0.0f)));

    // Something came between the gun and the hook: reel in, keeping a hooked
    // box (it is dragged back with the hook).
    if ((state_ == kFlying || state_ == kAttached) && ChainLength() > chainDistance) {
        PlaySound(chainSound_, false);
        hookedNow_ = false;
        state_ = kReeling;
    }

    if (jewelTaken) {
        if (state_ != kReeling) {
            if (jewelLock_) {
                objectPull_ = Vector3();
                return;
            }
            if (hookHitSound_) hookHitSound_->Stop();
            StopIfPlaying(chainSound_);
            PlaySound(jewelHitSound_, false);
            hookSpeed_ = kJewelPullSpeed;
            state_ = kReeling;
            jewelLock_ = true;
        }
        // The jewel slows from 0.5 to 0.1 per frame on its way to the player.
        if (hookSpeed_ > kJewelMinSpeed) hookSpeed_ -= kJewelSlowdown;
        objectPull_ = Normalize(gunPosition_ - GetHookPosition()) * hookSpeed_;
    }
}

void HookGun::StepReady(float hookDistance) {
    if (jewelLock_) return;
    StopIfPlaying(chainSound_);
    hookWorld_ = MatrixTranslation(0.0f, 0.0f, kHookRestOffset) * gunWorld_;

    if (hookDistance < kMaxRange) {
        sighting_ = true;
        crosshairAlpha_ = std::min(crosshairAlpha_ + kCrosshairFade, kSightAlpha);
    } else {
        sighting_ = false;
        crosshairAlpha_ = std::max(crosshairAlpha_ - kCrosshairFade, kIdleAlpha);
    }

    if (FwIsKeyDown(FwKey::LButton)) hookSpeed_ = kShotSpeed;
    if (LeftPressEdge()) {
        PlaySound(chainSound_, true);
        launchPoint_ = gunPosition_;
        state_ = kFlying;
    }
}

void HookGun::StepFlying(float hookDistance, int hitBox) {
    hookedBoxIndex_ = hitBox;
    if (hookDistance < kAttachDistance) {
        if (chainSound_) chainSound_->Stop();
        PlaySound(hookHitSound_, false);
        hookedNow_ = true;
        state_ = kAttached;
    }
    // The hook keeps flying in the attach frame too, ending 1 to 2 short of
    // the surface.
    hookWorld_ = WithoutTranslation(hookWorld_) * MatrixTranslation(GetHookPosition() + flightDirection_);
    if (ChainLength() > kMaxRange) {
        hookedBoxIndex_ = -1;
        hookedNow_ = false;
        state_ = kReeling;
    }
}

void HookGun::StepAttached(const Vector3& playerForward, bool playerJumping) {
    hookedNow_ = false;
    Vector3 look = playerForward;
    Vector3 chain = GetHookPosition() - launchPoint_;
    chainAngle_ = AngleBetweenDeg(look, chain);

    if (LeftPressEdge()) {
        PlaySound(chainSound_, true);
        if (playerJumping) {
            hookSpeed_ = kPlayerPullSpeed;
            state_ = kPullingPlayer;
        } else {
            hookSpeed_ = kShotSpeed;
            state_ = kReeling;
        }
    }

    if (FwIsKeyDown(FwKey::RButton) || chainAngle_ > kMaxAngle || ChainLength() > kMaxRange) {
        hookedBoxIndex_ = -1;
        PlaySound(chainSound_, true);
        state_ = kReeling;
    }
}

void HookGun::StepPullingPlayer() {
    playerPull_ = Normalize(GetHookPosition() - gunPosition_) * hookSpeed_;
    if (FwIsKeyDown(Profile::Active().Current().Key(InputAction::StopPull))) {
        playerPull_ = Vector3();
        state_ = kReeling;
    }
    if (ChainLength() < kAttachDistance) {
        playerPull_ = Vector3();
        state_ = kReady;
    }
}

void HookGun::StepReeling() {
    Vector3 velocity = Normalize(gunPosition_ - GetHookPosition()) * hookSpeed_;
    flightDirection_ = velocity;
    hookWorld_ = WithoutTranslation(gunWorld_) * MatrixTranslation(GetHookPosition() + velocity);
    objectPull_ = velocity;

    // Turn the hook's local -z toward the gun, at most 50 degrees a frame.
    Vector3 v = TransformCoord(gunPosition_, MatrixInverse(hookWorld_));
    Vector3 axis = Cross(Vector3(0.0f, 0.0f, -1.0f), v);
    if (!(axis.x == 0.0f && axis.y == 0.0f && axis.z == 0.0f)) {
        float cosAngle = std::clamp(Dot(Normalize(v), Vector3(0.0f, 0.0f, -1.0f)), -1.0f, 1.0f);
        float angleDeg = std::min(std::acos(cosAngle) / kDegToRad, kMaxTurnDeg);
        hookWorld_ = MatrixRotationNormal(Normalize(axis), angleDeg * kDegToRad) * hookWorld_;
    }

    if (ChainLength() < kReelArrive) {
        objectPull_ = Vector3();
        state_ = kReady;
    }
}

int HookGun::LinkCount(float chainLength) {
    if (!(chainLength > 0.0f)) return 0;
    int count = 0;
    float s = 0.0f;
    do {
        ++count;
        s += kLinkLength;
    } while (chainLength > s);
    return count;
}

Matrix HookGun::NextLinkWorld(const Matrix& link) {
    static const Matrix step = MatrixRotationZ(90.0f * kDegToRad) * MatrixTranslation(0.0f, 0.0f, kLinkLength);
    return step * link;
}

void HookGun::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(gunWorld_);
    shaders.DrawModel(bodyModel_);

    // Links run from the hook toward the gun, 0.5 apart, each turned 90
    // degrees about the chain against the previous one.
    Matrix link = linkMatrix_;
    int links = LinkCount(ChainLength());
    for (int i = 0; i < links; ++i) {
        shaders.SetWorldMatrix(link);
        shaders.DrawModel(linkModel_);
        link = NextLinkWorld(link);
    }

    shaders.SetWorldMatrix(hookWorld_);
    shaders.DrawModel(hookModel_);
}

void HookGun::Draw2D() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetSpriteWorld(Matrix::Identity());
    const FwTexture* tex = sighting_ ? sightingTexture_ : noSightingTexture_;
    float size = sighting_ ? kSightCrosshairSize : kIdleCrosshairSize;
    if (!tex || tex->IsEmpty()) return;
    FwRect src{0.0f, 0.0f, size, size};
    Vector4 color(1.0f, 1.0f, 1.0f, crosshairAlpha_);
    shaders.DrawTex(tex, 0.0f, 0.0f, size, size, &src, &color, Vector2(0.5f, 0.5f));
}
