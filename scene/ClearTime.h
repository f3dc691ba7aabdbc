// A stage's clear time as the game scene hands it to the clear scene, in
// frames of 1/60 s (FormatClearTime in game/profile/Progress.h shows it).
#pragma once

#include <cstdint>

struct ClearTime {
    uint64_t frames = 0;   // this attempt, from its first frame to the jewel taken
    uint64_t best = 0;     // the stage's best after this clear (this one or an older, faster one)
    bool newBest = false;  // this clear set the best
};
