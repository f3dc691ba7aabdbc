// Laser fences and the return buttons that switch them off. A group works
// only near the player; while it works, every beam is cut at the first solid
// along it and tested against the player.
#pragma once

#include <memory>
#include <vector>

#include "game/StageFile.h"
#include "game/kinds/StageObjectKind.h"

class Gimmick_ReturnLaser;

class LaserGroupKind : public StageObjectKind {
public:
    explicit LaserGroupKind(const std::vector<StageLaserGroupRecord>& records);
    ~LaserGroupKind() override;

    void Update(StageFrame& frame) override;
    // LateModels: buttons and laser bodies. Additive: the beams.
    void Draw(StageDrawPass pass) const override;
    void AppendTrace(StageTrace& trace) const override;
    bool HasHitPlayer() const override;

private:
    std::vector<std::shared_ptr<Gimmick_ReturnLaser>> groups_;
};
