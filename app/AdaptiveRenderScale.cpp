#include "app/AdaptiveRenderScale.h"

#include <algorithm>
#include <cmath>

namespace {

// The scale snapped to the nearest step, within range.
float Snap(float scale) {
    const float steps = std::round((scale - AdaptiveRenderScale::kMinScale) / AdaptiveRenderScale::kStep);
    return std::clamp(AdaptiveRenderScale::kMinScale + steps * AdaptiveRenderScale::kStep,
                      AdaptiveRenderScale::kMinScale, AdaptiveRenderScale::kMaxScale);
}

}  // namespace

AdaptiveRenderScale::AdaptiveRenderScale(float start) : scale_(Snap(start)) {}

float AdaptiveRenderScale::OnFrame(double frameMs) {
    if (settle_ > 0) {
        --settle_;
        return scale_;
    }
    // A negative or NaN time (a clock that went back) is no measurement.
    if (!(frameMs >= 0.0)) return scale_;
    window_[static_cast<size_t>(filled_++)] = frameMs;
    if (filled_ == kWindowFrames) {
        Judge();
        filled_ = 0;
    }
    return scale_;
}

void AdaptiveRenderScale::Judge() {
    std::array<double, kWindowFrames> sorted = window_;
    std::sort(sorted.begin(), sorted.end());
    const double p90 = sorted[static_cast<size_t>(kWindowFrames * 9 / 10) - 1];

    if (p90 > kBudgetMs * kLowerAbove) {
        roomyWindows_ = 0;
        const int steps = p90 > kBudgetMs * kLowerTwoAbove ? 2 : 1;
        SetScale(scale_ - kStep * static_cast<float>(steps));
        return;
    }
    if (scale_ >= kMaxScale) {
        roomyWindows_ = 0;
        return;
    }
    // The 3D pass's cost goes with its pixel count, the square of the scale.
    const double up = std::min(scale_ + kStep, kMaxScale) / scale_;
    if (p90 * up * up < kBudgetMs * kRaiseBelow) {
        if (++roomyWindows_ >= kWindowsBeforeRaise) {
            roomyWindows_ = 0;
            SetScale(scale_ + kStep);
        }
    } else {
        roomyWindows_ = 0;
    }
}

void AdaptiveRenderScale::SetScale(float scale) {
    const float snapped = Snap(scale);
    if (snapped == scale_) return;
    scale_ = snapped;
    ++changes_;
    settle_ = kSettleFrames;
}
