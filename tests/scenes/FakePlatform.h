// A platform for scene tests: no window, keys and focus set by the test,
// cursor visibility recorded, a millisecond clock the test advances, and a
// virtual audio device on that clock.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <vector>

#include "framework/audio/FwAudioDevice.h"
#include "framework/platform/FwPlatform.h"

class FakePlatform : public FwPlatform {
public:
    bool CreateGameWindow(int, int, const std::string&) override { return true; }
    void ProcessMessages() override {}
    bool IsWindowAlive() const override { return true; }
    void DestroyGameWindow() override {}
    void Present() override {}

    bool IsKeyDown(int vk) const override { return keysDown.count(vk) != 0; }
    bool IsGameWindowActive() const override { return windowActive; }

    FwPoint GetCursorPos() const override { return {}; }
    FwPoint ScreenToClient(FwPoint p) const override { return p; }
    FwPoint ClientToScreen(FwPoint p) const override { return p; }
    void SetCursorPos(FwPoint) override {}
    void ShowCursor(bool show) override { cursorCalls.push_back(show); }

    void MessageBox(const std::string& text, const std::string& caption, FwMessageIcon) override {
        messages.push_back(caption + ": " + text);
    }
    std::vector<std::string> messages;
    uint32_t TimeMs() const override { return clockMs; }
    void SleepMs(uint32_t ms) override { clockMs += ms; }

    std::unique_ptr<FwAudioDevice> OpenAudioDevice() override {
        return FwCreateVirtualAudioDevice([this] { return clockMs; });
    }

    void Press(int vk) { keysDown.insert(vk); }
    void Release(int vk) { keysDown.erase(vk); }

    std::set<int> keysDown;
    bool windowActive = true;
    std::vector<bool> cursorCalls;
    uint32_t clockMs = 0;
};
