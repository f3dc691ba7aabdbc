// Pressed-since-released flags for polled buttons, shared across scenes so a
// button held through a scene change does not fire again in the next scene.
// Slot 0: the player's jump key. Slot 3: the left mouse button (title click
// and the hook gun's fire share it).
#pragma once

#include <array>

class KeyLatch {
public:
    static constexpr int kJump = 0;
    static constexpr int kLeftButton = 3;

    static KeyLatch& GetInstance();
    bool Get(int slot) const { return flags_[slot]; }
    void Set(int slot, bool value) { flags_[slot] = value; }
    void Reset() { flags_.fill(false); }

private:
    std::array<bool, 4> flags_{};
};
