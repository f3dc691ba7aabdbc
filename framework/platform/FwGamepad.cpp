#include "framework/platform/FwGamepad.h"

#include <algorithm>
#include <cmath>

namespace {
FwPadKeys gPadKeys;
}  // namespace

void FwGamepad::SetKeys(const FwPadKeys& keys) { gPadKeys = keys; }
const FwPadKeys& FwGamepad::Keys() { return gPadKeys; }

float FwGamepad::StickValue(int16_t raw) {
    // -32768 is one step further than 32767; both ends read as full deflection.
    return std::clamp(static_cast<float>(raw) / 32767.0f, -1.0f, 1.0f);
}

float FwGamepad::TriggerValue(int16_t raw) { return std::clamp(static_cast<float>(raw) / 32767.0f, 0.0f, 1.0f); }

FwGamepadState FwGamepad::Merge(const FwGamepadState& a, const FwGamepadState& b) {
    FwGamepadState out;
    for (int i = 0; i < static_cast<int>(FwPadAxis::Count); ++i)
        out.axes[i] = std::fabs(b.axes[i]) > std::fabs(a.axes[i]) ? b.axes[i] : a.axes[i];
    for (int i = 0; i < static_cast<int>(FwPadButton::Count); ++i) out.buttons[i] = a.buttons[i] || b.buttons[i];
    return out;
}

std::vector<int> FwGamepad::WalkKeys(float x, float y) {
    std::vector<int> keys;
    if (y < -kWalkThreshold) keys.push_back(gPadKeys.walkForward);
    if (y > kWalkThreshold) keys.push_back(gPadKeys.walkBack);
    if (x < -kWalkThreshold) keys.push_back(gPadKeys.walkLeft);
    if (x > kWalkThreshold) keys.push_back(gPadKeys.walkRight);
    return keys;
}

void FwGamepad::LookSpeed(float x, float y, float& dx, float& dy) {
    dx = dy = 0.0f;
    const float length = std::hypot(x, y);
    if (!(length > kLookDeadZone)) return;  // also catches NaN
    const float past = std::min((length - kLookDeadZone) / (1.0f - kLookDeadZone), 1.0f);
    const float speed = kLookMaxPixels * std::pow(past, kLookCurve);
    dx = x / length * speed;
    dy = y / length * speed;
}

int FwGamepad::KeyForButton(FwPadButton button) {
    switch (button) {
    case FwPadButton::A: return gPadKeys.jump;
    case FwPadButton::B: return gPadKeys.stopPull;
    case FwPadButton::Back:
    case FwPadButton::Start: return gPadKeys.backToTitle;
    default: return -1;
    }
}

std::vector<int> FwGamepad::HeldKeys(const FwGamepadState& state) {
    std::vector<int> keys = WalkKeys(state.Axis(FwPadAxis::LeftX), state.Axis(FwPadAxis::LeftY));
    for (int i = 0; i < static_cast<int>(FwPadButton::Count); ++i) {
        int key = KeyForButton(static_cast<FwPadButton>(i));
        if (key >= 0 && state.buttons[i] && std::find(keys.begin(), keys.end(), key) == keys.end()) keys.push_back(key);
    }
    if (state.Axis(FwPadAxis::TriggerRight) > kTriggerThreshold) keys.push_back(FwKey::LButton);
    if (state.Axis(FwPadAxis::TriggerLeft) > kTriggerThreshold) keys.push_back(FwKey::RButton);
    return keys;
}

FwPoint FwGamepad::Look(const FwGamepadState& state) {
    float dx = 0.0f, dy = 0.0f;
    LookSpeed(state.Axis(FwPadAxis::RightX), state.Axis(FwPadAxis::RightY), dx, dy);
    dx *= gPadKeys.lookSpeed;
    dy *= gPadKeys.lookSpeed;
    if (dx == 0.0f && dy == 0.0f) {
        carryX_ = carryY_ = 0.0f;
        return {};
    }
    carryX_ += dx;
    carryY_ += dy;
    // Whole pixels toward zero; the remainder keeps its sign for the next frame.
    const float wholeX = std::trunc(carryX_), wholeY = std::trunc(carryY_);
    carryX_ -= wholeX;
    carryY_ -= wholeY;
    return {static_cast<int>(wholeX), static_cast<int>(wholeY)};
}
