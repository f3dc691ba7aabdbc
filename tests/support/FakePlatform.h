// A scripted stand-in for the platform in unit tests: keys are held by
// setting them, the cursor is a plain point, the clock advances by hand.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "framework/audio/FwAudioDevice.h"
#include "framework/platform/FwPlatform.h"

class FakePlatform : public FwPlatform {
public:
    FakePlatform() { FwSetPlatform(this); }
    ~FakePlatform() override { FwSetPlatform(nullptr); }

    bool CreateGameWindow(int, int, const std::string&) override { return alive = true; }
    void ProcessMessages() override {}
    bool IsWindowAlive() const override { return alive; }
    void DestroyGameWindow() override { alive = false; }
    void Present() override {}
    bool IsKeyDown(int vk) const override { return held.count(vk) != 0; }
    bool IsGameWindowActive() const override { return active; }
    FwPoint GetCursorPos() const override { return cursor; }
    FwPoint ScreenToClient(FwPoint p) const override { return p; }
    FwPoint ClientToScreen(FwPoint p) const override { return p; }
    void SetCursorPos(FwPoint p) override { cursor = p; }
    void ShowCursor(bool show) override {
        cursorShown = show;
        cursorCalls.push_back(show);
    }
    bool IsCursorShown() const override { return cursorShown; }
    void MessageBox(const std::string& text, const std::string& caption, FwMessageIcon) override {
        messages.push_back(caption + ": " + text);
    }
    uint32_t TimeMs() const override { return clockMs; }
    void SleepMs(uint32_t ms) override { clockMs += ms; }
    std::unique_ptr<FwAudioDevice> OpenAudioDevice() override {
        return FwCreateVirtualAudioDevice([this] { return clockMs; });
    }

    void Hold(int vk) { held.insert(vk); }
    void Release(int vk) { held.erase(vk); }
    void ReleaseAll() { held.clear(); }
    // Moves the cursor by (dx, dy) from the centre the player warps back to.
    void Look(int dx, int dy) { cursor = FwPoint{640 + dx, 360 + dy}; }

    std::set<int> held;
    bool alive = true;
    bool active = true;
    bool cursorShown = true;
    std::vector<bool> cursorCalls;  // every ShowCursor call, in order
    FwPoint cursor{640, 360};
    uint32_t clockMs = 0;
    std::vector<std::string> messages;
};
