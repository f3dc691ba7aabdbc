#include "game/kinds/DoorGroupKind.h"

#include "game/gimmick/Button.h"
#include "game/gimmick/TimeDoor.h"

namespace {
template <typename Group>
void GroupSolids(const Group& group, SceneSolid* slots) {
    slots[0] = SceneSolid::FromWorld(group.GetDoor()->GetPanelModel(), group.GetDoor()->GetPanelWorld());
    // Rays meet the button's top in its off-state model, whatever it shows.
    slots[1] = SceneSolid::FromWorld(group.GetButton()->GetOffModel(), group.GetButton()->GetTopWorld());
    slots[1].boxRaysOnly = true;
}

template <typename Group>
void ListClosingPanels(const std::vector<std::shared_ptr<Group>>& groups, std::vector<SceneClosingPanel>& panels) {
    for (const auto& group : groups) {
        const DoorPanel& panel = group->GetDoor()->GetPanel();
        if (panel.IsClosing()) panels.push_back(panel.ClosingPanel());
    }
}

template <typename Group>
void UpdateGroups(const std::vector<std::shared_ptr<Group>>& groups, SceneSolids& solids, SceneSolid*& slots) {
    for (const auto& group : groups) {
        group->Update(IsButtonPressed(solids, group->GetButton()->GetTopPosition(), kSceneButtonRadius));
        GroupSolids(*group, slots);
        slots += 2;
    }
}

void TraceButton(StageTrace& trace, const char* kind, const ButtonBase& b) {
    trace.buttons.push_back({{"kind", kind}, {"on", b.IsOn()}, {"top", b.GetTopY()}});
}
}  // namespace

DoorGroupKind::DoorGroupKind(const StageLayout& layout, SceneSolids& solids) {
    timeDoors_.reserve(layout.timeDoors.size());
    for (const StageTimeDoorRecord& rec : layout.timeDoors)
        timeDoors_.push_back(std::make_shared<Gimmick_TimeDoor>(rec.buttonPosition, rec.doorPosition, rec.doorYawDeg,
                                                                rec.openFrames));
    pushingDoors_.reserve(layout.pushingDoors.size());
    for (const StageDoorRecord& rec : layout.pushingDoors)
        pushingDoors_.push_back(
            std::make_shared<Gimmick_PushingDoor>(rec.buttonPosition, rec.doorPosition, rec.doorYawDeg));
    returnDoors_.reserve(layout.returnDoors.size());
    for (const StageDoorRecord& rec : layout.returnDoors)
        returnDoors_.push_back(
            std::make_shared<Gimmick_ReturnDoor>(rec.buttonPosition, rec.doorPosition, rec.doorYawDeg));
    firstSolid_ = solids.AddFixtures(2 * (timeDoors_.size() + pushingDoors_.size() + returnDoors_.size()));
}

DoorGroupKind::~DoorGroupKind() = default;

void DoorGroupKind::RefreshSolids(SceneSolids& solids) const {
    SceneSolid* slots = solids.fixtures.data() + firstSolid_;
    auto refresh = [&slots](const auto& groups) {
        for (const auto& group : groups) {
            GroupSolids(*group, slots);
            slots += 2;
        }
    };
    refresh(timeDoors_);
    refresh(pushingDoors_);
    refresh(returnDoors_);
    ListClosingPanels(solids);
}

void DoorGroupKind::ListClosingPanels(SceneSolids& solids) const {
    solids.closingPanels.clear();
    ::ListClosingPanels(timeDoors_, solids.closingPanels);
    ::ListClosingPanels(pushingDoors_, solids.closingPanels);
    ::ListClosingPanels(returnDoors_, solids.closingPanels);
}

// A moved panel blocks the rays of the groups and kinds after it.
void DoorGroupKind::Update(StageFrame& frame) {
    SceneSolid* slots = frame.solids.fixtures.data() + firstSolid_;
    UpdateGroups(timeDoors_, frame.solids, slots);
    UpdateGroups(pushingDoors_, frame.solids, slots);
    UpdateGroups(returnDoors_, frame.solids, slots);
    ListClosingPanels(frame.solids);
}

void DoorGroupKind::Draw(StageDrawPass pass) const {
    if (pass == StageDrawPass::Models) {
        for (const auto& group : timeDoors_) group->Draw();
        for (const auto& group : pushingDoors_) group->Draw();
        for (const auto& group : returnDoors_) group->Draw();
    } else if (pass == StageDrawPass::Effects) {
        for (const auto& group : timeDoors_) group->DrawClockHands();
    }
}

void DoorGroupKind::AppendTrace(StageTrace& trace) const {
    for (const auto& g : pushingDoors_) TraceButton(trace, "pushing", *g->GetButton());
    for (const auto& g : returnDoors_) TraceButton(trace, "return", *g->GetButton());
    for (const auto& g : timeDoors_) TraceButton(trace, "time", *g->GetButton());

    for (const auto& g : pushingDoors_)
        trace.doors.push_back({{"kind", "pushing"}, {"y", g->GetDoor()->GetPanelY()}, {"lamp", g->GetDoor()->IsLampOn()}});
    for (const auto& g : returnDoors_)
        trace.doors.push_back({{"kind", "return"}, {"y", g->GetDoor()->GetPanelY()}, {"lamp", g->GetDoor()->IsLampOn()}});
    for (const auto& g : timeDoors_)
        trace.doors.push_back({{"kind", "time"}, {"y", g->GetDoor()->GetPanelY()}, {"lamp", g->GetDoor()->IsOpen()}});

    for (const auto& g : timeDoors_)
        trace.clocks.push_back({{"angle", g->GetDoor()->GetHandAngle()},
                                {"ticking", g->GetDoor()->IsTicking()},
                                {"remaining", g->GetButton()->GetRemainingFrames()}});
}
