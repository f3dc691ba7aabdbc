// Every key and mouse button the game polls, named once.
//
// The values are Windows-style virtual-key codes: the stage logic polls
// "is this key down now?" by code, input scripts and recordings name keys by
// the token names below, and settings files store bindings by the same
// names. Letters and digits use their ASCII upper-case codes, so every
// letter and digit key is bindable without a table entry of its own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace FwKey {
constexpr int LButton = 0x01;
constexpr int RButton = 0x02;
// Opens and closes the options screen; never bound to an action.
constexpr int Tab = 0x09;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int A = 'A';
constexpr int D = 'D';
constexpr int P = 'P';
constexpr int R = 'R';
constexpr int S = 'S';
constexpr int W = 'W';
// Switches fullscreen (handled by the platform); polled only so the options
// screen can refuse it as a binding.
constexpr int F11 = 0x7A;

// True for a letter or digit key code ('A'..'Z', '0'..'9').
constexpr bool IsLetterOrDigit(int vk) { return (vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'); }
}  // namespace FwKey

// Input scripts, recordings and settings: the key's name ("W", "SPACE",
// "ESC", "TAB", "F11", "LMB", "RMB", a letter or a digit), or empty for a code the game
// has no name for.
std::string FwKeyName(int vk);
// The reverse, any case ("space" = "SPACE"); nothing for an unknown name.
std::optional<int> FwKeyFromName(std::string_view name);
