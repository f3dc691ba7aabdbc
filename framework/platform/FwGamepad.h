// Game controller input turned into the keyboard and mouse input the game
// already polls. The SDL platform samples every connected controller once per
// frame into an FwGamepadState; FwGamepad maps it to held virtual keys (read
// through FwPlatform::IsKeyDown) and to cursor motion in pixels (added to the
// cursor the player's mouse look reads). The game never sees a controller, so
// scripted runs and the harness stay exactly as they are.
//
// The keys below are the defaults: the stick and the buttons stand for the
// keys the player's actions are bound to (SetKeys), and the right stick's
// speed takes the player's multiplier.
//
//   left stick   W A S D (each direction past kWalkThreshold)
//   right stick  mouse look (radial dead zone, then a power curve up to
//                kLookMaxPixels per frame); moves the pointer in menus
//   A            Space (jump)
//   B            R (stop being dragged, reel the hook in)
//   right trigger  left mouse button (shoot, reel in, click)
//   left trigger   right mouse button (release the hook)
//   Start, Back  P (back to the title)
//
// Pure and SDL-free, so the mapping is unit-tested without a device.
#pragma once

#include <cstdint>
#include <vector>

#include "framework/platform/FwPlatform.h"

// Controller axes and buttons, numbered as SDL's game controller API numbers
// them (the SDL platform checks this at compile time).
enum class FwPadAxis { LeftX, LeftY, RightX, RightY, TriggerLeft, TriggerRight, Count };
enum class FwPadButton { A, B, X, Y, Back, Guide, Start, Count };

// One controller's (or several merged) state in one frame.
struct FwGamepadState {
    // Sticks -1..1 (+x right, +y down, as SDL reports them); triggers 0..1.
    float axes[static_cast<int>(FwPadAxis::Count)] = {};
    bool buttons[static_cast<int>(FwPadButton::Count)] = {};

    float Axis(FwPadAxis a) const { return axes[static_cast<int>(a)]; }
    bool Button(FwPadButton b) const { return buttons[static_cast<int>(b)]; }
    void SetAxis(FwPadAxis a, float value) { axes[static_cast<int>(a)] = value; }
    void SetButton(FwPadButton b, bool down) { buttons[static_cast<int>(b)] = down; }
};

// The keys the controller stands for, and its look speed multiplier.
struct FwPadKeys {
    int walkForward = FwKey::W;
    int walkBack = FwKey::S;
    int walkLeft = FwKey::A;
    int walkRight = FwKey::D;
    int jump = FwKey::Space;
    int stopPull = FwKey::R;
    int backToTitle = FwKey::P;
    float lookSpeed = 1.0f;
};

class FwGamepad {
public:
    // How far a stick axis must lean before its walk key counts as held.
    static constexpr float kWalkThreshold = 0.4f;
    // How far a trigger must be pulled to count as a held mouse button.
    static constexpr float kTriggerThreshold = 0.5f;
    // Right stick deflections up to this radius are ignored (worn sticks
    // rest a little off centre).
    static constexpr float kLookDeadZone = 0.15f;
    // Response curve exponent past the dead zone: small deflections aim
    // finely, full deflection turns fast.
    static constexpr float kLookCurve = 2.0f;
    // Cursor pixels per frame at full deflection (4.5 pixels are one degree
    // of turn, so about 3.5 degrees a frame, some 210 degrees a second).
    static constexpr float kLookMaxPixels = 16.0f;

    // SDL platform: a raw stick axis (-32768..32767) as -1..1.
    static float StickValue(int16_t raw);
    // SDL platform: a raw trigger axis (0..32767) as 0..1.
    static float TriggerValue(int16_t raw);
    // SDL platform, several controllers at once: per axis the larger
    // deflection, per button either.
    static FwGamepadState Merge(const FwGamepadState& a, const FwGamepadState& b);

    // The walk keys (by default 'W', 'A', 'S', 'D') a left stick position holds.
    static std::vector<int> WalkKeys(float x, float y);
    // Look speed in (fractional) cursor pixels per frame for a right stick
    // position: zero inside the dead zone, then rising along the curve from 0
    // at its edge to kLookMaxPixels at full deflection, in the stick's direction.
    static void LookSpeed(float x, float y, float& dx, float& dy);
    // Every virtual key the state holds (walk keys, Space, R, P, mouse buttons).
    static std::vector<int> HeldKeys(const FwGamepadState& state);
    // The virtual key a button press stands for; -1 for buttons without one.
    static int KeyForButton(FwPadButton button);

    // SDL platform, once per frame: the whole cursor pixels the right stick
    // moves this frame. Fractions are carried to the next frame so slow
    // aiming still turns; letting the stick go drops the carry.
    FwPoint Look(const FwGamepadState& state);

    // Program entry and the options screen: the keys the controller holds
    // for the player's actions and the look speed multiplier (FwPadKeys'
    // defaults are the mapping above). Shared by every controller.
    static void SetKeys(const FwPadKeys& keys);
    static const FwPadKeys& Keys();

private:
    float carryX_ = 0.0f;
    float carryY_ = 0.0f;
};
