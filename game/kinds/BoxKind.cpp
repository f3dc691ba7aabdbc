#include "game/kinds/BoxKind.h"

#include "game/gimmick/Box.h"
#include "game/player/HookGun.h"

namespace {
const Vector3 kDown(0.0f, -1.0f, 0.0f);
bool IsZero(const Vector3& v) { return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f; }
}  // namespace

BoxKind::BoxKind(const std::vector<StageBoxRecord>& records, SceneSolids& solids) {
    boxes_.reserve(records.size());
    for (const StageBoxRecord& rec : records) boxes_.push_back(std::make_shared<Box>(rec.position, rec.index));
    solids.boxes.resize(boxes_.size());
}

void BoxKind::RefreshSolids(SceneSolids& solids) const {
    for (size_t i = 0; i < boxes_.size(); ++i)
        solids.boxes[i] = SceneSolid::FromWorld(boxes_[i]->GetModel(), boxes_[i]->GetWorld());
}

void BoxKind::Update(StageFrame& frame) {
    const Vector3 pull = frame.hookGun.GetObjectPull();
    const int hooked = frame.hookGun.GetHookedBoxIndex();
    for (size_t i = 0; i < boxes_.size(); ++i) {
        Box& box = *boxes_[i];
        box.Pull(pull, hooked);
        const Vector3& at = box.GetPosition();
        const Vector3 shove =
            ShoveFromClosingPanels(frame.solids, at, box.GetRadius(), at.y - Box::kHalfHeight, at.y + Box::kHalfHeight);
        if (!IsZero(shove)) box.Shove(shove);
        frame.solids.boxes[i] = SceneSolid::FromWorld(box.GetModel(), box.GetWorld());
        if (IsZero(pull)) {
            // Nothing below (not possible in a closed stage): fall freely.
            float below = kFloatMax;
            RayCastSolids(frame.solids, box.GetPosition(), kDown, box.GetRadius(), below, box.GetIndex());
            box.Fall(below);
            frame.solids.boxes[i] = SceneSolid::FromWorld(box.GetModel(), box.GetWorld());
        }
    }
}

void BoxKind::Draw(StageDrawPass pass) const {
    if (pass != StageDrawPass::Models) return;
    for (const auto& box : boxes_) box->Draw();
}

void BoxKind::AppendTrace(StageTrace& trace) const {
    for (const auto& box : boxes_) {
        const Vector3& p = box->GetPosition();
        trace.boxes.push_back(nlohmann::json::array({p.x, p.y, p.z}));
    }
}
