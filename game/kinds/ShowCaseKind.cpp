#include "game/kinds/ShowCaseKind.h"

#include "game/ShowCase.h"

ShowCaseKind::ShowCaseKind(const StageShowcaseRecord& record, SceneSolids& solids)
    : showCase_(std::make_shared<ShowCase>(record.position)) {
    solids.fixtures[solids.AddFixtures(1)] = SceneSolid::FromWorld(showCase_->GetModel(), showCase_->GetWorld());
}

ShowCaseKind::~ShowCaseKind() = default;

void ShowCaseKind::Draw(StageDrawPass pass) const {
    if (pass == StageDrawPass::Models) showCase_->Draw();
}
