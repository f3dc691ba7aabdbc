#include "game/kinds/StageObjects.h"

#include "game/kinds/BoxKind.h"
#include "game/kinds/DoorGroupKind.h"
#include "game/kinds/LaserGroupKind.h"
#include "game/kinds/ShowCaseKind.h"
#include "game/kinds/WindowKind.h"

StageObjects::StageObjects() = default;
StageObjects::~StageObjects() = default;

template <typename Kind, typename... Args>
Kind* StageObjects::Add(Args&&... args) {
    auto kind = std::make_unique<Kind>(std::forward<Args>(args)...);
    Kind* raw = kind.get();
    kinds_.push_back(std::move(kind));
    return raw;
}

// The registration: one line a kind, in the frame's order. Boxes come first
// (doors test them on their buttons), door panels before windows and the
// showcase in every ray, lasers last (their beams stop at everything above).
void StageObjects::Build(const StageLayout& layout, SceneSolids& solids) {
    boxes_ = Add<BoxKind>(layout.boxes, solids);
    Add<DoorGroupKind>(layout, solids);
    Add<WindowKind>(layout.windows, solids);
    showCase_ = Add<ShowCaseKind>(layout.showcase, solids);
    Add<LaserGroupKind>(layout.returnLasers);
}

void StageObjects::RefreshSolids(SceneSolids& solids) const {
    for (const auto& kind : kinds_) kind->RefreshSolids(solids);
}

void StageObjects::Update(StageFrame& frame) {
    for (const auto& kind : kinds_) kind->Update(frame);
}

void StageObjects::Draw(StageDrawPass pass) const {
    for (const auto& kind : kinds_) kind->Draw(pass);
}

void StageObjects::AppendTrace(StageTrace& trace) const {
    for (const auto& kind : kinds_) kind->AppendTrace(trace);
}

bool StageObjects::HasHitPlayer() const {
    for (const auto& kind : kinds_) {
        if (kind->HasHitPlayer()) return true;
    }
    return false;
}

const std::vector<std::shared_ptr<Box>>& StageObjects::GetBoxes() const {
    static const std::vector<std::shared_ptr<Box>> kNone;
    return boxes_ ? boxes_->GetBoxes() : kNone;
}
