// The showcase the jewel floats above: one per stage, a static solid.
#pragma once

#include <memory>

#include "game/StageFile.h"
#include "game/kinds/StageObjectKind.h"

class ShowCase;

class ShowCaseKind : public StageObjectKind {
public:
    ShowCaseKind(const StageShowcaseRecord& record, SceneSolids& solids);
    ~ShowCaseKind() override;

    void Draw(StageDrawPass pass) const override;

    // Game scene, while building: the jewel takes its place from it.
    const ShowCase& GetShowCase() const { return *showCase_; }

private:
    std::shared_ptr<ShowCase> showCase_;
};
