// Every object of a stage, grouped by kind, in the frame's order. The game
// scene drives the collection; each kind answers for its own objects. To add
// a kind: its own files (objects and a StageObjectKind), its records in the
// layout reader, and one line in Build (StageObjects.cpp).
#pragma once

#include <memory>
#include <vector>

#include "game/StageFile.h"
#include "game/kinds/StageObjectKind.h"

class Box;
class BoxKind;
class ShowCaseKind;

class StageObjects {
public:
    StageObjects();
    ~StageObjects();

    // Game scene, once, from a coordinate file that was read whole: builds
    // every kind in order and reserves their solids.
    void Build(const StageLayout& layout, SceneSolids& solids);

    void RefreshSolids(SceneSolids& solids) const;
    void Update(StageFrame& frame);
    void Draw(StageDrawPass pass) const;
    void AppendTrace(StageTrace& trace) const;
    // Any kind's beam touched the player.
    bool HasHitPlayer() const;

    // The hook gun hooks boxes by index and the guide watches box 0.
    const std::vector<std::shared_ptr<Box>>& GetBoxes() const;
    // Null before Build.
    const ShowCaseKind* GetShowCaseKind() const { return showCase_; }

private:
    // Build: appends a kind (its place in the list is its place in the frame).
    template <typename Kind, typename... Args>
    Kind* Add(Args&&... args);

    std::vector<std::unique_ptr<StageObjectKind>> kinds_;
    BoxKind* boxes_ = nullptr;
    ShowCaseKind* showCase_ = nullptr;
};
