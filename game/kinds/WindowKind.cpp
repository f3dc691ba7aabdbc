#include "game/kinds/WindowKind.h"

#include "game/Window.h"

WindowKind::WindowKind(const std::vector<StageWindowRecord>& records, SceneSolids& solids) {
    windows_.reserve(records.size());
    for (const StageWindowRecord& rec : records)
        windows_.push_back(std::make_shared<Window>(rec.position, rec.scale, rec.yawDeg));
    const size_t first = solids.AddFixtures(windows_.size());
    for (size_t i = 0; i < windows_.size(); ++i)
        solids.fixtures[first + i] = SceneSolid::FromWorld(windows_[i]->GetModel(), windows_[i]->GetWorld());
}

WindowKind::~WindowKind() = default;

void WindowKind::Draw(StageDrawPass pass) const {
    if (pass != StageDrawPass::Windows) return;
    for (const auto& window : windows_) window->Draw();
}
