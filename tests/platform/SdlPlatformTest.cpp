#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "framework/platform/FwSdlPlatform.h"

// SDL scancodes are USB HID keyboard usage ids: A = 4 .. Z = 29,
// 1 = 30 .. 9 = 38, 0 = 39, Escape = 41, Space = 44.
TEST(SdlPlatform, VirtualKeysMapToScancodes) {
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey('A'), 4);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey('W'), 26);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey('Z'), 29);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey('1'), 30);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey('9'), 38);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey('0'), 39);  // after 9, as on the keyboard
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey(FwKey::Escape), 41);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey(FwKey::Space), 44);
    // Mouse buttons and codes the game never polls have no scancode.
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey(FwKey::LButton), -1);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey(FwKey::RButton), -1);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey('a'), -1);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey(0), -1);
    EXPECT_EQ(FwSdlPlatform::ScancodeForVirtualKey(1000), -1);
}

TEST(SdlPlatform, ScancodesMapBackToTheSameVirtualKeys) {
    std::vector<int> keys = {FwKey::Space, FwKey::Escape, FwKey::Tab, FwKey::F11};
    for (int vk = 'A'; vk <= 'Z'; ++vk) keys.push_back(vk);
    for (int vk = '0'; vk <= '9'; ++vk) keys.push_back(vk);
    for (int vk : keys) EXPECT_EQ(FwSdlPlatform::VirtualKeyForScancode(FwSdlPlatform::ScancodeForVirtualKey(vk)), vk) << vk;
    EXPECT_EQ(FwSdlPlatform::VirtualKeyForScancode(0), -1);
    EXPECT_EQ(FwSdlPlatform::VirtualKeyForScancode(-1), -1);
    EXPECT_EQ(FwSdlPlatform::VirtualKeyForScancode(225), -1);  // left shift
}

// Without an OpenGL-capable display the window cannot be made: start-up
// must get false (to show its message) and the platform stays safe to poll.
TEST(SdlPlatform, WindowFailureIsReportedAndLeavesAUsablePlatform) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    {
        FwSdlPlatform platform;
        EXPECT_FALSE(platform.CreateGameWindow(1280, 720, "Gilded Vault"));
        EXPECT_FALSE(platform.IsWindowAlive());
        EXPECT_FALSE(platform.IsGameWindowActive());
        platform.ProcessMessages();
        EXPECT_FALSE(platform.IsKeyDown('W'));
        EXPECT_FALSE(platform.IsKeyDown(FwKey::LButton));
        platform.ShowCursor(false);
        platform.SetCursorPos({10, 20});
        EXPECT_EQ(platform.GetCursorPos().x, 10);
        platform.ShowCursor(true);
        platform.Present();
        testing::internal::CaptureStderr();
        platform.MessageBox("ウィンドウ作成に失敗", "エラー", FwMessageIcon::None);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("エラー: ウィンドウ作成に失敗\n"), std::string::npos);
        platform.DestroyGameWindow();
    }
    unsetenv("SDL_VIDEODRIVER");
}
