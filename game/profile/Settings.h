// The player's settings: what the options screen changes and the game reads
// at start (fullscreen, render scale) or while playing. Plain data and the
// rules for it; Profile (Profile.h) keeps it in settings.json.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The actions the player can bind to another key. The mouse buttons (hook
// gun), Escape (quit) and F11 (fullscreen, handled by the platform) are not
// among them.
enum class InputAction { WalkForward, WalkBack, WalkLeft, WalkRight, Jump, StopPull, BackToTitle };
constexpr int kInputActionCount = 7;

// The member name in settings.json ("walkForward", ...).
const char* InputActionName(InputAction action);
std::optional<InputAction> InputActionFromName(std::string_view name);
// The key an action has without a settings file (W S A D SPACE R P).
int DefaultKey(InputAction action);

// A setting's range and the value it has without a settings file.
struct SettingRange {
    float min;
    float max;
    float byDefault;
};
constexpr SettingRange kMouseSensitivityRange{0.25f, 4.0f, 1.0f};      // times today's mouse speed
constexpr SettingRange kVolumeRange{0.0f, 100.0f, 100.0f};             // percent of today's volume
constexpr SettingRange kRenderScaleRange{0.25f, 1.0f, 1.0f};           // as --render-scale
constexpr SettingRange kControllerLookSpeedRange{0.25f, 4.0f, 1.0f};   // times today's stick speed

struct Settings {
    static constexpr int kVersion = 1;

    float mouseSensitivity = kMouseSensitivityRange.byDefault;
    bool invertLook = false;
    int musicVolume = 100;    // percent, 0..100
    int effectsVolume = 100;  // percent, 0..100
    bool fullscreen = false;
    float renderScale = kRenderScaleRange.byDefault;
    // The render scale chosen by the game each frame (AdaptiveRenderScale)
    // instead of renderScale; AUTO in the options, --render-scale auto.
    bool renderScaleAuto = false;
    float controllerLookSpeed = kControllerLookSpeedRange.byDefault;
    // Key code (FwKey) per InputAction, in the enum's order.
    std::array<int, kInputActionCount> keys = DefaultKeys();

    int Key(InputAction action) const { return keys[static_cast<size_t>(action)]; }
    static std::array<int, kInputActionCount> DefaultKeys();
    bool operator==(const Settings&) const = default;
};

// Every value brought into its range: numbers clamped, NaN replaced by the
// default, volumes whole percents; key bindings that break the rebinding
// rules (unknown code, reserved key, a key held by two actions) go back to
// their defaults (all of them, if the defaults still clash).
Settings ClampSettings(Settings settings);

// The rebinding rule for the options screen: false, with a short reason to
// show the player, when action may not take key: a reserved key (Escape, F11, Tab,
// the mouse buttons), a key the game cannot name, or a key another action
// already has. Binding an action to the key it already has is allowed.
bool CheckRebind(const Settings& settings, InputAction action, int key, std::string& reason);

// settings.json's text: every member, keys by their FwKeyName names.
std::string SettingsToText(const Settings& settings);
// Reads settings.json's text. False, with the reason, for a damaged file:
// not JSON, not an object, a member of the wrong type (a key binding that is
// not a string included) or a version other than 1. Missing members keep
// their defaults, unknown members are ignored, out-of-range values are
// clamped and bindings the game cannot use are reset (ClampSettings).
bool ParseSettings(std::string_view text, Settings& settings, std::string& error);
