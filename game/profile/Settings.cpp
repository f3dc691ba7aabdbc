#include "game/profile/Settings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>

#include "game/profile/ProfileFiles.h"

#include "framework/platform/FwKey.h"

namespace {

struct ActionInfo {
    InputAction action;
    const char* name;
    int defaultKey;
};
constexpr ActionInfo kActions[kInputActionCount] = {
    {InputAction::WalkForward, "walkForward", FwKey::W}, {InputAction::WalkBack, "walkBack", FwKey::S},
    {InputAction::WalkLeft, "walkLeft", FwKey::A},       {InputAction::WalkRight, "walkRight", FwKey::D},
    {InputAction::Jump, "jump", FwKey::Space},           {InputAction::StopPull, "stopPull", FwKey::R},
    {InputAction::BackToTitle, "backToTitle", FwKey::P},
};

const ActionInfo& Info(InputAction action) { return kActions[static_cast<size_t>(action)]; }

// Escape quits, F11 switches fullscreen, Tab opens the options and the mouse
// buttons work the hook gun: no action may take them.
bool IsReserved(int key) {
    return key == FwKey::Escape || key == FwKey::F11 || key == FwKey::Tab || key == FwKey::LButton ||
           key == FwKey::RButton;
}

bool IsBindable(int key) { return !IsReserved(key) && !FwKeyName(key).empty(); }

float ClampFloat(float value, const SettingRange& range) {
    if (std::isnan(value)) return range.byDefault;
    return value < range.min ? range.min : value > range.max ? range.max : value;
}

int ClampPercent(double value) {
    if (std::isnan(value)) return static_cast<int>(kVolumeRange.byDefault);
    if (value < kVolumeRange.min) value = kVolumeRange.min;
    if (value > kVolumeRange.max) value = kVolumeRange.max;
    return static_cast<int>(std::lround(value));
}

bool HasClash(const std::array<int, kInputActionCount>& keys, std::array<bool, kInputActionCount>* clashing) {
    bool any = false;
    for (int i = 0; i < kInputActionCount; ++i) {
        for (int j = i + 1; j < kInputActionCount; ++j) {
            if (keys[i] != keys[j]) continue;
            any = true;
            if (clashing) (*clashing)[i] = (*clashing)[j] = true;
        }
    }
    return any;
}

// The float as the shortest decimal that reads back as the same float, so
// the file says 0.3 rather than 0.30000001192092896.
double ShortestDecimal(float value) {
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text - 1, value);
    if (ec != std::errc()) return value;
    *end = '\0';
    return std::strtod(text, nullptr);
}

}  // namespace

const char* InputActionName(InputAction action) { return Info(action).name; }

std::optional<InputAction> InputActionFromName(std::string_view name) {
    for (const ActionInfo& info : kActions)
        if (name == info.name) return info.action;
    return std::nullopt;
}

int DefaultKey(InputAction action) { return Info(action).defaultKey; }

std::array<int, kInputActionCount> Settings::DefaultKeys() {
    std::array<int, kInputActionCount> keys{};
    for (const ActionInfo& info : kActions) keys[static_cast<size_t>(info.action)] = info.defaultKey;
    return keys;
}

Settings ClampSettings(Settings s) {
    s.mouseSensitivity = ClampFloat(s.mouseSensitivity, kMouseSensitivityRange);
    s.renderScale = ClampFloat(s.renderScale, kRenderScaleRange);
    s.controllerLookSpeed = ClampFloat(s.controllerLookSpeed, kControllerLookSpeedRange);
    s.musicVolume = ClampPercent(s.musicVolume);
    s.effectsVolume = ClampPercent(s.effectsVolume);

    const std::array<int, kInputActionCount> defaults = Settings::DefaultKeys();
    for (int i = 0; i < kInputActionCount; ++i)
        if (!IsBindable(s.keys[i])) s.keys[i] = defaults[i];
    std::array<bool, kInputActionCount> clashing{};
    if (HasClash(s.keys, &clashing)) {
        for (int i = 0; i < kInputActionCount; ++i)
            if (clashing[i]) s.keys[i] = defaults[i];
        // The default of one clashing action may be the key another one
        // moved to (W and S swapped, then jump put on S): start over.
        if (HasClash(s.keys, nullptr)) s.keys = defaults;
    }
    return s;
}

bool CheckRebind(const Settings& settings, InputAction action, int key, std::string& reason) {
    if (key == FwKey::Escape) {
        reason = "Escape is reserved for quitting";
        return false;
    }
    if (key == FwKey::F11) {
        reason = "F11 is reserved for fullscreen";
        return false;
    }
    if (key == FwKey::Tab) {
        reason = "Tab is reserved for the options";
        return false;
    }
    if (key == FwKey::LButton || key == FwKey::RButton) {
        reason = "the mouse buttons work the hook gun";
        return false;
    }
    if (FwKeyName(key).empty()) {
        reason = "this key cannot be bound";
        return false;
    }
    for (const ActionInfo& info : kActions) {
        if (info.action != action && settings.Key(info.action) == key) {
            reason = FwKeyName(key) + " is already bound to " + info.name;
            return false;
        }
    }
    return true;
}

std::string SettingsToText(const Settings& s) {
    nlohmann::ordered_json keys = nlohmann::ordered_json::object();
    for (const ActionInfo& info : kActions) keys[info.name] = FwKeyName(s.Key(info.action));
    nlohmann::ordered_json file = {
        {"version", Settings::kVersion},
        {"mouseSensitivity", ShortestDecimal(s.mouseSensitivity)},
        {"invertLook", s.invertLook},
        {"musicVolume", s.musicVolume},
        {"effectsVolume", s.effectsVolume},
        {"fullscreen", s.fullscreen},
        {"renderScale", ShortestDecimal(s.renderScale)},
        {"renderScaleAuto", s.renderScaleAuto},
        {"controllerLookSpeed", ShortestDecimal(s.controllerLookSpeed)},
        {"keys", keys},
    };
    return file.dump(2) + "\n";
}

bool ParseSettings(std::string_view text, Settings& out, std::string& error) {
    nlohmann::json file;
    if (!ParseJsonObject(text, file, error)) return false;
    auto wrongType = [&error](const std::string& member, const char* expected) {
        error = "'" + member + "' is not " + expected;
        return false;
    };
    if (auto it = file.find("version"); it != file.end()) {
        if (!it->is_number()) return wrongType("version", "a number");
        if (it->get<double>() != Settings::kVersion) {
            error = "unknown version " + it->dump();
            return false;
        }
    }

    Settings s;
    // Numbers are read as double and clamped afterwards, so 1e9 or -3 land
    // on the range's ends instead of overflowing.
    double musicVolume = s.musicVolume, effectsVolume = s.effectsVolume;
    struct NumberMember {
        const char* name;
        float* asFloat;
        double* asDouble;
    };
    const NumberMember numbers[] = {
        {"mouseSensitivity", &s.mouseSensitivity, nullptr}, {"renderScale", &s.renderScale, nullptr},
        {"controllerLookSpeed", &s.controllerLookSpeed, nullptr}, {"musicVolume", nullptr, &musicVolume},
        {"effectsVolume", nullptr, &effectsVolume},
    };
    for (const NumberMember& m : numbers) {
        auto it = file.find(m.name);
        if (it == file.end()) continue;
        if (!it->is_number()) return wrongType(m.name, "a number");
        const double value = it->get<double>();
        if (m.asFloat) {
            // Beyond float's range: clamping gives the same end of the range.
            *m.asFloat = value > 1e30 ? 1e30f : value < -1e30 ? -1e30f : static_cast<float>(value);
        } else {
            *m.asDouble = value;
        }
    }
    s.musicVolume = ClampPercent(musicVolume);
    s.effectsVolume = ClampPercent(effectsVolume);

    for (auto [name, member] : {std::pair{"invertLook", &s.invertLook}, std::pair{"fullscreen", &s.fullscreen},
                                std::pair{"renderScaleAuto", &s.renderScaleAuto}}) {
        auto it = file.find(name);
        if (it == file.end()) continue;
        if (!it->is_boolean()) return wrongType(name, "true or false");
        *member = it->get<bool>();
    }

    if (auto it = file.find("keys"); it != file.end()) {
        if (!it->is_object()) return wrongType("keys", "an object");
        for (const auto& [name, value] : it->items()) {
            const std::optional<InputAction> action = InputActionFromName(name);
            if (!action) continue;  // an action of another version of the game
            if (!value.is_string()) return wrongType("keys." + name, "a key name");
            // A name this version does not know keeps the default (clamped below).
            const std::optional<int> key = FwKeyFromName(value.get<std::string>());
            s.keys[static_cast<size_t>(*action)] = key ? *key : 0;
        }
    }
    out = ClampSettings(s);
    return true;
}
