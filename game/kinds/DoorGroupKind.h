// Every button-and-door group of a stage: time doors, pushing doors and
// return doors. Each group's press test runs right before its update; the
// frame visits the time doors first, then the pushing and the return doors,
// while the trace lists pushing, return, then time doors (the order scripts
// reading traces rely on). Each door panel is a solid for everything; each
// button top only for the boxes' ground rays.
#pragma once

#include <memory>
#include <vector>

#include "game/StageFile.h"
#include "game/gimmick/Door.h"
#include "game/kinds/StageObjectKind.h"

class Gimmick_TimeDoor;

class DoorGroupKind : public StageObjectKind {
public:
    DoorGroupKind(const StageLayout& layout, SceneSolids& solids);
    ~DoorGroupKind() override;

    void RefreshSolids(SceneSolids& solids) const override;
    void Update(StageFrame& frame) override;
    // Models: buttons and doors. Effects: the time doors' clock hands.
    void Draw(StageDrawPass pass) const override;
    void AppendTrace(StageTrace& trace) const override;

private:
    // Refills the scene's list of panels closing now.
    void ListClosingPanels(SceneSolids& solids) const;
    std::vector<std::shared_ptr<Gimmick_TimeDoor>> timeDoors_;
    std::vector<std::shared_ptr<Gimmick_PushingDoor>> pushingDoors_;
    std::vector<std::shared_ptr<Gimmick_ReturnDoor>> returnDoors_;
    size_t firstSolid_ = 0;  // two slots a group: panel, button top
};
