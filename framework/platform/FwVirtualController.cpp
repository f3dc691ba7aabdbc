#include "framework/platform/FwVirtualController.h"

#include <SDL.h>

#include <cstdio>

FwVirtualController::FwVirtualController() {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr, "virtual controller: %s\n", SDL_GetError());
        return;
    }
    started_ = true;
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
    desc.naxes = SDL_CONTROLLER_AXIS_MAX;
    desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
    desc.name = "Gilded Vault virtual controller";
    const int index = SDL_JoystickAttachVirtualEx(&desc);
    if (index < 0) {
        std::fprintf(stderr, "virtual controller: %s\n", SDL_GetError());
        return;
    }
    joystick_ = SDL_JoystickOpen(index);
    if (!joystick_) {
        std::fprintf(stderr, "virtual controller: %s\n", SDL_GetError());
        SDL_JoystickDetachVirtual(index);
    }
}

FwVirtualController::~FwVirtualController() {
    Detach();
    if (started_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void FwVirtualController::Detach() {
    if (!joystick_) return;
    // The device index may have moved since attaching; find this device again.
    SDL_JoystickID id = SDL_JoystickInstanceID(static_cast<SDL_Joystick*>(joystick_));
    SDL_JoystickClose(static_cast<SDL_Joystick*>(joystick_));
    joystick_ = nullptr;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            SDL_JoystickDetachVirtual(i);
            break;
        }
    }
}

void FwVirtualController::SetAxis(FwPadAxis axis, int16_t value) {
    if (joystick_) SDL_JoystickSetVirtualAxis(static_cast<SDL_Joystick*>(joystick_), static_cast<int>(axis), value);
}

void FwVirtualController::SetButton(FwPadButton button, bool down) {
    if (joystick_)
        SDL_JoystickSetVirtualButton(static_cast<SDL_Joystick*>(joystick_), static_cast<int>(button), down ? 1 : 0);
}
