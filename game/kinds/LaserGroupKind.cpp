#include "game/kinds/LaserGroupKind.h"

#include "game/gimmick/Button.h"
#include "game/gimmick/Laser.h"
#include "game/player/Player.h"

namespace {
// Broad-phase radius of a laser's blocking ray: everything within 100 + 15
// of the beam start may stop the beam.
constexpr float kLaserRayRadius = 100.0f;
}  // namespace

LaserGroupKind::LaserGroupKind(const std::vector<StageLaserGroupRecord>& records) {
    groups_.reserve(records.size());
    for (const StageLaserGroupRecord& rec : records)
        groups_.push_back(std::make_shared<Gimmick_ReturnLaser>(rec.buttonPosition, rec.laserCount, rec.firstLaser,
                                                                rec.step, rec.yawDeg));
}

LaserGroupKind::~LaserGroupKind() = default;

void LaserGroupKind::Update(StageFrame& frame) {
    const Player& player = frame.player;
    for (const auto& groupPtr : groups_) {
        Gimmick_ReturnLaser& group = *groupPtr;
        const bool pressed = IsButtonPressed(frame.solids, group.GetButton()->GetTopPosition(), kSceneButtonRadius);
        if (!group.UpdateButton(pressed, player.GetPosition(), player.GetRadius())) continue;
        for (int i = 0; i < group.GetLaserCount(); ++i) {
            const Laser& laser = *group.GetLaser(i);
            float blocked = kFloatMax;
            RayCastSolids(frame.solids, laser.GetBeamStart(), laser.GetDirection(), kLaserRayRadius, blocked, -1);
            group.UpdateLaser(i, blocked, player.GetForward(), player.IsFailed(), player.GetCollisionModel(),
                              player.GetCameraWorld());
        }
    }
}

void LaserGroupKind::Draw(StageDrawPass pass) const {
    if (pass == StageDrawPass::LateModels) {
        for (const auto& group : groups_) group->Draw();
    } else if (pass == StageDrawPass::Additive) {
        for (const auto& group : groups_) group->DrawBeams();
    }
}

void LaserGroupKind::AppendTrace(StageTrace& trace) const {
    for (const auto& g : groups_) {
        const ButtonBase& b = *g->GetButton();
        trace.buttons.push_back({{"kind", "laser"}, {"on", b.IsOn()}, {"top", b.GetTopY()}});
    }
    for (const auto& g : groups_) {
        nlohmann::json widths = nlohmann::json::array(), lengths = nlohmann::json::array();
        for (int i = 0; i < g->GetLaserCount(); ++i) {
            widths.push_back(g->GetLaser(i)->GetHalfWidth());
            lengths.push_back(g->GetLaser(i)->GetBeamLength());
        }
        trace.lasers.push_back(
            {{"active", g->IsActive()}, {"hit", g->HasHitPlayer()}, {"width", widths}, {"length", lengths}});
    }
}

bool LaserGroupKind::HasHitPlayer() const {
    for (const auto& group : groups_) {
        if (group->HasHitPlayer()) return true;
    }
    return false;
}
