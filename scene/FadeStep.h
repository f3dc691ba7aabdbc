// The one fade rule shared by scene fades and the operation guide's pages.
#pragma once

// Moves value toward 1 (towardsOne) or 0 by step, clamps there and reports
// arrival. Returns false when the value already stood at the target.
bool FadeStep(float& value, bool towardsOne, float step);
