#include "game/gimmick/TimeDoor.h"

#include <algorithm>

#include "framework/audio/FwAudio.h"
#include "framework/render/FwDirect3D.h"
#include "framework/resource/FwResourceFactory.h"
#include "game/gimmick/Button.h"

namespace {
void StopIfPlaying(const std::shared_ptr<FwSoundInstance>& s) {
    if (s->IsPlaying()) s->Stop();
}
}  // namespace

const std::array<FwEffectVertex, TimeDoor::kHandVertexCount>& TimeDoor::HandVertices() {
    // A unit square about the hand's pivot, facing -z, drawn as a strip.
    static const std::array<FwEffectVertex, kHandVertexCount> kVertices = {{
        {{-0.5f, 0.5f, 0.0f}, {0.0f, 0.0f}, {1, 1, 1, 1}},
        {{0.5f, 0.5f, 0.0f}, {1.0f, 0.0f}, {1, 1, 1, 1}},
        {{-0.5f, -0.5f, 0.0f}, {0.0f, 1.0f}, {1, 1, 1, 1}},
        {{0.5f, -0.5f, 0.0f}, {1.0f, 1.0f}, {1, 1, 1, 1}},
    }};
    return kVertices;
}

TimeDoor::TimeDoor(const Vector3& position, float angleDegrees)
    : panel_(position, angleDegrees),
      clockPosition_(position + Vector3(0.0f, kClockHeight, 0.0f)),
      clockWorld_(panel_.GetRotation() * MatrixTranslation(clockPosition_)) {
    const Matrix& r = panel_.GetRotation();
    const Vector3 doorForward(r.m[2][0], r.m[2][1], r.m[2][2]);
    handOffset_ = MatrixTranslation(clockPosition_ - doorForward * kHandForward);
    handRotation_ = r;
    handWorld_ = handRotation_ * handOffset_;

    auto& res = FwResourceFactory::GetInstance();
    clockModel_ = res.GetModel("GameScene/Gimmick/Door/Clock.gltf");
    handTexture_ = res.GetTexture("GameScene/TimeDoor/ClockHands.png");
    tickingSound1_ = res.GetSound("Door/Time/Timer1.wav", kClockVolume, false);
    tickingSound2_ = res.GetSound("Door/Time/Timer2.wav", kClockVolume, false);
    bellSound_ = res.GetSound("Door/Time/Bell.wav", kClockVolume, false);

    const auto& vertices = HandVertices();
    handBuffer_.Create(FwBind::Vertex, static_cast<uint32_t>(sizeof(vertices)), FwUsage::Default,
                       vertices.data());
}

TimeDoor::~TimeDoor() {
    StopIfPlaying(tickingSound1_);
    StopIfPlaying(tickingSound2_);
    StopIfPlaying(bellSound_);
}

void TimeDoor::Update(bool open, int remainingFrames) {
    open_ = open;
    panel_.Update(open);
    UpdateClock(open, remainingFrames);
}

void TimeDoor::UpdateClock(bool open, int remainingFrames) {
    handRotation_ = MatrixRotationZ(handAngle_ * kDegToRad) * panel_.GetRotation();
    handWorld_ = handRotation_ * handOffset_;

    if (ticking_) {
        if (handAngle_ >= kLastQuarterAngle && tickingSound1_->IsPlaying()) {
            tickingSound1_->Stop();
            tickingSound2_->Play(true, true);
        }
        handAngle_ += handStep_;
        if (handAngle_ >= kHandEndAngle) {
            // A short run can jump past the last quarter in one step, so the
            // first ticking sound may still be going as well.
            StopIfPlaying(tickingSound1_);
            StopIfPlaying(tickingSound2_);
            bellSound_->Play(false, true);
            handAngle_ = kHandEndAngle;
            ticking_ = false;
        }
    } else if (open) {
        // Winding only proceeds while the button is on; an interrupted wind
        // continues from where it stopped at the next press.
        handAngle_ -= kWindStep;
        if (handAngle_ <= kHandWindBackAngle) {
            tickingSound1_->Play(true, true);
            ticking_ = true;
            // The hand reaches zero as the countdown ends. A door told it is
            // open with no frames left finishes the turn in one step.
            handStep_ = (kHandEndAngle - kHandWindBackAngle) / static_cast<float>(std::max(remainingFrames, 1));
        }
    }
}

void TimeDoor::Draw() const {
    FwShaderManager& shaders = FwShaderManager::GetInstance();
    panel_.DrawFrame();
    shaders.SetWorldMatrix(clockWorld_);
    shaders.DrawModel(clockModel_);
    panel_.DrawPanel();
}

void TimeDoor::DrawClockHands() const {
    FwDirect3D& device = FwDirect3D::GetInstance();
    device.SetVertexBuffer(&handBuffer_, static_cast<uint32_t>(sizeof(FwEffectVertex)), 0);
    device.SetTopology(FwTopology::TriangleStrip);
    device.SetTexture(0, handTexture_);
    FwShaderManager::GetInstance().SetEffectWorld(handWorld_);
    device.Draw(kHandVertexCount, 0);
}

// ---------------------------------------------------------------------------
// Gimmick_TimeDoor
// ---------------------------------------------------------------------------

Gimmick_TimeDoor::Gimmick_TimeDoor(const Vector3& buttonPosition, const Vector3& doorPosition,
                                   float doorAngleDegrees, int durationFrames)
    : button_(std::make_shared<TimeButton>(buttonPosition, durationFrames)),
      door_(std::make_shared<TimeDoor>(doorPosition, doorAngleDegrees)) {}

void Gimmick_TimeDoor::Update(bool pressed) {
    button_->Update(pressed);
    door_->Update(button_->IsOn(), button_->GetRemainingFrames());
}

void Gimmick_TimeDoor::Draw() const {
    button_->Draw();
    door_->Draw();
}

void Gimmick_TimeDoor::DrawClockHands() const { door_->DrawClockHands(); }
