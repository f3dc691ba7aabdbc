#include "scene/FadeStep.h"

bool FadeStep(float& value, bool towardsOne, float step) {
    if (towardsOne) {
        if (value < 1.0f) {
            value += step;
            if (value >= 1.0f) {
                value = 1.0f;
                return true;
            }
        }
        return false;
    }
    if (value > 0.0f) {
        value -= step;
        if (value <= 0.0f) {
            value = 0.0f;
            return true;
        }
    }
    return false;
}
