// The stage's boxes: hooked and pulled by the hook gun, falling otherwise.
// Their solids are SceneSolids::boxes, by box index.
#pragma once

#include <memory>
#include <vector>

#include "game/StageFile.h"
#include "game/kinds/StageObjectKind.h"

class Box;

class BoxKind : public StageObjectKind {
public:
    BoxKind(const std::vector<StageBoxRecord>& records, SceneSolids& solids);

    void RefreshSolids(SceneSolids& solids) const override;
    // The hooked box follows the hook gun's pull; while nothing pulls, every
    // box falls onto what lies below it (skipping itself).
    void Update(StageFrame& frame) override;
    void Draw(StageDrawPass pass) const override;
    void AppendTrace(StageTrace& trace) const override;

    const std::vector<std::shared_ptr<Box>>& GetBoxes() const { return boxes_; }

private:
    std::vector<std::shared_ptr<Box>> boxes_;
};
