// A game controller that exists only in software (SDL's virtual joystick
// driver): tests and manual checks plug it in, move its sticks and press its
// buttons, and the SDL platform sees it like a real device (device-added and
// removed events, the same axis and button reads).
#pragma once

#include <cstdint>

#include "framework/platform/FwGamepad.h"

class FwVirtualController {
public:
    // Plugs the controller in (starting SDL's controller subsystem if needed).
    FwVirtualController();
    // Unplugs it.
    ~FwVirtualController();
    FwVirtualController(const FwVirtualController&) = delete;
    FwVirtualController& operator=(const FwVirtualController&) = delete;

    // False when SDL refused the device (the other calls then do nothing).
    bool IsAttached() const { return joystick_ != nullptr; }
    // Raw values as a real controller reports them: sticks -32768..32767,
    // triggers 0..32767. Takes effect at the next event pump.
    void SetAxis(FwPadAxis axis, int16_t value);
    void SetButton(FwPadButton button, bool down);
    // Unplugs the controller before the destructor would.
    void Detach();

private:
    bool started_ = false;
    void* joystick_ = nullptr;  // SDL_Joystick
};
