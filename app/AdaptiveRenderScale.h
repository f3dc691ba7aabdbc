// The automatic render scale (--render-scale auto, or AUTO in the options):
// keeps frames within the 60-a-second budget on a machine whose GPU (or
// software rasteriser) cannot fill 1280 x 720 in time, by drawing the 3D
// pass at a lower resolution. Sprites are not affected: the device keeps
// them at full resolution whatever the scale.
//
// Plain logic, fed one measured frame at a time. The scale moves in steps of
// 0.1 between 1 and 0.5 (few target sizes, and a step is visible as a step,
// not as a shimmer). It is judged on windows of 30 frames (half a second) by
// their 90th percentile, so one slow frame (a stage load, a pause of the
// process) never moves it:
//  - down one step when that percentile is over 90 % of the budget, two when
//    it is over 150 %;
//  - up one step only when the percentile, scaled by the pixel ratio to the
//    next step up, would still leave a quarter of the budget free, in four
//    windows in a row (two seconds).
// The gap between the two rules is the hysteresis: a step up predicts a cost
// well under the threshold that would take it down again, so the picture
// does not pump between two sizes.
#pragma once

#include <array>
#include <cstdint>

class AdaptiveRenderScale {
public:
    static constexpr double kBudgetMs = 1000.0 / 60.0;
    static constexpr float kMaxScale = 1.0f;
    static constexpr float kMinScale = 0.5f;
    static constexpr float kStep = 0.1f;
    static constexpr int kWindowFrames = 30;
    static constexpr int kWindowsBeforeRaise = 4;
    static constexpr double kLowerAbove = 0.9;      // of the budget, at the 90th percentile
    static constexpr double kLowerTwoAbove = 1.5;   // of the budget: two steps at once
    static constexpr double kRaiseBelow = 0.75;     // of the budget, predicted at the next step up
    // Frames after a change that are not judged: the device makes the new
    // targets, and the first frames at a new size are not typical.
    static constexpr int kSettleFrames = 5;

    explicit AdaptiveRenderScale(float start = kMaxScale);

    // Application, after each frame drawn while the scale is automatic: how
    // long the frame's work took (its drawing finished), in milliseconds.
    // Returns the scale for the next frame.
    float OnFrame(double frameMs);
    float Scale() const { return scale_; }
    // How many times the scale changed (benchmarks report it).
    uint64_t Changes() const { return changes_; }

private:
    void Judge();
    void SetScale(float scale);

    float scale_;
    std::array<double, kWindowFrames> window_{};
    int filled_ = 0;
    int settle_ = 0;
    int roomyWindows_ = 0;
    uint64_t changes_ = 0;
};
