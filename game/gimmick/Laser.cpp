#include "game/gimmick/Laser.h"

#include <cmath>
#include <cstring>

#include "framework/audio/FwAudio.h"
#include "framework/collision/FwCollision.h"
#include "framework/render/FwDirect3D.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/gimmick/Button.h"
#include "game/gimmick/Door.h"

namespace {
constexpr uint32_t kQuadBytes = sizeof(FwEffectVertex) * Laser::kBeamVertexCount;

// Texture u runs along the beam, v across it.
constexpr Vector2 kBeamUV[Laser::kBeamVertexCount] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};

float ClampBeamLength(float blockedDistance) {
    if (!std::isfinite(blockedDistance) || blockedDistance > Laser::kMaxBeamLength) return Laser::kMaxBeamLength;
    return blockedDistance < 0.0f ? 0.0f : blockedDistance;
}
}  // namespace

// ---------------------------------------------------------------------------
// Laser
// ---------------------------------------------------------------------------

Laser::Laser(const Vector3& position, float angleDegrees)
    : position_(position),
      translation_(MatrixTranslation(position)),
      rotation_(DoorRotation(angleDegrees)),
      bodyWorld_(rotation_ * translation_),
      direction_(rotation_.m[2][0], rotation_.m[2][1], rotation_.m[2][2]) {
    beamStart_ = position_ + direction_ * kBeamStartOffset;
    beamEnd_ = beamStart_;
    beamAxis_ = direction_;
    for (int i = 0; i < kBeamVertexCount; ++i) vertices_[i] = FwEffectVertex{beamStart_, kBeamUV[i], {1, 1, 1, 1}};

    auto& res = FwResourceFactory::GetInstance();
    bodyModel_ = res.GetModel("GameScene/Gimmick/Laser/LaserBody.gltf");
    beamTexture_ = res.GetTexture("GameScene/Laser/NewLaser.png");
    // Created once; UpdateBeam rewrites it when the quad changes. Without a
    // graphics device this fails and the beam is simply not drawn.
    beamBuffer_.Create(FwBind::Vertex, kQuadBytes, FwUsage::Dynamic, vertices_.data());
}

void Laser::StepWidth(bool buttonOn) {
    if (buttonOn) {
        if (halfWidth_ > kOffHalfWidth) halfWidth_ -= kWidthStep;
    } else if (narrowing_) {
        halfWidth_ -= kWidthStep;
        if (halfWidth_ <= kNarrowestHalfWidth) narrowing_ = false;
    } else {
        halfWidth_ += kWidthStep;
        if (halfWidth_ >= kWidestHalfWidth) narrowing_ = true;
    }
}

void Laser::UpdateBeam(bool buttonOn, float blockedDistance, const Vector3& playerForward) {
    beamLength_ = ClampBeamLength(blockedDistance);
    beamEnd_ = beamStart_ + direction_ * beamLength_;
    beamAxis_ = Normalize(beamEnd_ - beamStart_);
    // Not normalised: the quad is narrowest when the player looks along it.
    const Vector3 side = Cross(playerForward, beamAxis_);

    StepWidth(buttonOn);

    const Vector3 s = side * halfWidth_;
    const Vector3 corners[kBeamVertexCount] = {beamStart_ + s, beamEnd_ + s, beamStart_ - s, beamEnd_ - s};
    std::array<FwEffectVertex, kBeamVertexCount> quad;
    for (int i = 0; i < kBeamVertexCount; ++i) quad[i] = FwEffectVertex{corners[i], kBeamUV[i], {1, 1, 1, 1}};
    if (std::memcmp(quad.data(), vertices_.data(), kQuadBytes) != 0) {
        vertices_ = quad;
        beamBuffer_.Write(vertices_.data(), kQuadBytes);
    }
}

void Laser::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    shaders.SetWorldMatrix(bodyWorld_);
    shaders.DrawModel(bodyModel_);
}

bool Laser::DrawBeam() const {
    if (!IsVisible()) return false;
    FwDirect3D& device = FwDirect3D::GetInstance();
    device.SetVertexBuffer(&beamBuffer_, static_cast<uint32_t>(sizeof(FwEffectVertex)), 0);
    device.SetTopology(FwTopology::TriangleStrip);
    device.SetTexture(0, beamTexture_);
    FwShaderManager::GetInstance().SetEffectWorld(Matrix::Identity());  // vertices are in world space
    device.Draw(kBeamVertexCount, 0);
    return true;
}

// ---------------------------------------------------------------------------
// Gimmick_ReturnLaser
// ---------------------------------------------------------------------------

Gimmick_ReturnLaser::Gimmick_ReturnLaser(const Vector3& buttonPosition, int count, const Vector3& firstPosition,
                                         const Vector3& offset, float angleDegrees)
    : button_(std::make_shared<ReturnButton>(buttonPosition)) {
    for (int i = 0; i < count; ++i)
        lasers_.push_back(std::make_shared<Laser>(firstPosition + offset * static_cast<float>(i), angleDegrees));
    hitSound_ = FwResourceFactory::GetInstance().GetSound("Laser/LaserHit.wav", kHitVolume, false);
}

bool Gimmick_ReturnLaser::UpdateButton(bool pressed, const Vector3& playerPosition, float playerRadius) {
    button_->Update(pressed);
    active_ = SphereOverlap(playerPosition, playerRadius, button_->GetTopPosition(), kActivationRadius);
    return active_;
}

void Gimmick_ReturnLaser::UpdateLaser(int index, float blockedDistance, const Vector3& playerForward,
                                      bool playerFailed, const FwModel* playerModel, const Matrix& playerWorld) {
    if (index < 0 || index >= GetLaserCount()) return;
    Laser& laser = *lasers_[static_cast<size_t>(index)];
    const bool buttonOn = button_->IsOn();
    laser.UpdateBeam(buttonOn, blockedDistance, playerForward);

    if (buttonOn || !active_ || hasHit_ || playerFailed) return;
    // Hits only in front of the first blocking object.
    float limit = laser.GetBeamLength();
    if (RayToMesh(playerModel, playerWorld, laser.GetBeamStart(), laser.GetDirection(), limit)) {
        hasHit_ = true;
        hitSound_->Play(false, true);
    }
}

void Gimmick_ReturnLaser::Draw() const {
    button_->Draw();
    for (const auto& laser : lasers_) laser->Draw();
}

int Gimmick_ReturnLaser::DrawBeams() const {
    if (!active_) return 0;
    int drawn = 0;
    for (const auto& laser : lasers_)
        if (laser->DrawBeam()) ++drawn;
    return drawn;
}

std::shared_ptr<Laser> Gimmick_ReturnLaser::GetLaser(int i) const {
    if (i < 0 || i >= GetLaserCount()) return nullptr;
    return lasers_[static_cast<size_t>(i)];
}
