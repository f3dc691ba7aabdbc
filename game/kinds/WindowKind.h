// Glass panes: solid for the player, the hook, boxes and beams, drawn half
// transparent after every opaque object so what lies behind shows through.
#pragma once

#include <memory>
#include <vector>

#include "game/StageFile.h"
#include "game/kinds/StageObjectKind.h"

class Window;

class WindowKind : public StageObjectKind {
public:
    WindowKind(const std::vector<StageWindowRecord>& records, SceneSolids& solids);
    ~WindowKind() override;

    // Windows never move: their solids are written once, here.
    void Draw(StageDrawPass pass) const override;

private:
    std::vector<std::shared_ptr<Window>> windows_;
};
