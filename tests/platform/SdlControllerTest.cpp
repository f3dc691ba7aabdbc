// The SDL platform with game controllers on SDL's virtual joystick driver
// (no device, no display: the dummy video driver) and its fullscreen keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "framework/platform/FwSdlPlatform.h"
#include "framework/platform/FwVirtualController.h"

namespace {

// SDL scancodes (USB HID usage ids) and modifier bits used below.
constexpr int kScancodeReturn = 40;
constexpr int kScancodeF4 = 61;
constexpr int kScancodeF11 = 68;
constexpr int kScancodeKeypadEnter = 88;
constexpr int kModLeftAlt = 0x0100;
constexpr int kModRightAlt = 0x0200;
constexpr int kModLeftCtrl = 0x0040;

class SdlController : public testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        platform_ = std::make_unique<FwSdlPlatform>();
        platform_->ProcessMessages();  // starts the controller subsystem
    }
    void TearDown() override {
        platform_.reset();
        unsetenv("SDL_VIDEODRIVER");
    }
    std::unique_ptr<FwSdlPlatform> platform_;
};

}  // namespace

TEST(SdlPlatform, FullscreenTogglesOnF11AndAltEnter) {
    EXPECT_TRUE(FwSdlPlatform::IsFullscreenToggle(kScancodeF11, 0));
    EXPECT_TRUE(FwSdlPlatform::IsFullscreenToggle(kScancodeF11, kModLeftCtrl));
    EXPECT_TRUE(FwSdlPlatform::IsFullscreenToggle(kScancodeReturn, kModLeftAlt));
    EXPECT_TRUE(FwSdlPlatform::IsFullscreenToggle(kScancodeReturn, kModRightAlt));
    EXPECT_TRUE(FwSdlPlatform::IsFullscreenToggle(kScancodeKeypadEnter, kModLeftAlt));
    // Enter alone, Ctrl+Enter and Alt+F4 are something else.
    EXPECT_FALSE(FwSdlPlatform::IsFullscreenToggle(kScancodeReturn, 0));
    EXPECT_FALSE(FwSdlPlatform::IsFullscreenToggle(kScancodeReturn, kModLeftCtrl));
    EXPECT_FALSE(FwSdlPlatform::IsFullscreenToggle(kScancodeF4, kModLeftAlt));
    EXPECT_FALSE(FwSdlPlatform::IsFullscreenToggle(FwSdlPlatform::ScancodeForVirtualKey('W'), kModLeftAlt));
}

TEST(SdlPlatform, FullscreenRequestBeforeTheWindowIsKept) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    {
        FwSdlPlatform platform;
        EXPECT_FALSE(platform.IsFullscreen());
        platform.SetFullscreen(true);
        EXPECT_TRUE(platform.IsFullscreen());
        int width = 0, height = 0;
        EXPECT_FALSE(platform.GetPresentSize(width, height));  // no window, nothing to present to
        platform.SetFullscreen(false);
        EXPECT_FALSE(platform.IsFullscreen());
    }
    unsetenv("SDL_VIDEODRIVER");
}

TEST_F(SdlController, PluggedControllerHoldsKeysThroughIsKeyDown) {
    FwVirtualController pad;
    ASSERT_TRUE(pad.IsAttached());
    platform_->ProcessMessages();
    ASSERT_EQ(platform_->ControllerCount(), 1);
    EXPECT_FALSE(platform_->IsKeyDown('W'));

    pad.SetAxis(FwPadAxis::LeftY, -32768);  // stick fully up
    pad.SetButton(FwPadButton::A, true);
    pad.SetAxis(FwPadAxis::TriggerRight, 32767);
    platform_->ProcessMessages();
    EXPECT_TRUE(platform_->IsKeyDown('W'));
    EXPECT_FALSE(platform_->IsKeyDown('S'));
    EXPECT_TRUE(platform_->IsKeyDown(FwKey::Space));
    EXPECT_TRUE(platform_->IsKeyDown(FwKey::LButton));
    EXPECT_FALSE(platform_->IsKeyDown(FwKey::RButton));

    // Held across frames while held, released when let go.
    platform_->ProcessMessages();
    EXPECT_TRUE(platform_->IsKeyDown('W'));
    pad.SetAxis(FwPadAxis::LeftY, 0);
    pad.SetButton(FwPadButton::A, false);
    pad.SetAxis(FwPadAxis::TriggerRight, 0);
    pad.SetAxis(FwPadAxis::TriggerLeft, 30000);
    pad.SetButton(FwPadButton::B, true);
    platform_->ProcessMessages();
    EXPECT_FALSE(platform_->IsKeyDown('W'));
    EXPECT_FALSE(platform_->IsKeyDown(FwKey::Space));
    EXPECT_FALSE(platform_->IsKeyDown(FwKey::LButton));
    EXPECT_TRUE(platform_->IsKeyDown(FwKey::RButton));
    EXPECT_TRUE(platform_->IsKeyDown('R'));
}

TEST_F(SdlController, RightStickMovesTheHiddenCursorLikeTheMouse) {
    FwVirtualController pad;
    ASSERT_TRUE(pad.IsAttached());
    platform_->ProcessMessages();
    // The game scene: cursor hidden, the player warps it to the centre.
    platform_->ShowCursor(false);
    platform_->SetCursorPos({640, 360});
    pad.SetAxis(FwPadAxis::RightX, 32767);
    pad.SetAxis(FwPadAxis::RightY, -32768);
    platform_->ProcessMessages();
    FwPoint moved = platform_->GetCursorPos();
    // Full deflection up and right: the top speed along the diagonal.
    EXPECT_GT(moved.x, 640);
    EXPECT_LT(moved.y, 360);
    EXPECT_EQ(moved.x - 640, 360 - moved.y);
    EXPECT_LE(moved.x - 640, static_cast<int>(FwGamepad::kLookMaxPixels));
    // The player warps back; the next frame moves by the same amount again.
    platform_->SetCursorPos({640, 360});
    platform_->ProcessMessages();
    FwPoint again = platform_->GetCursorPos();
    EXPECT_NEAR(again.x - 640, moved.x - 640, 1);
    // Resting stick: the cursor stays.
    pad.SetAxis(FwPadAxis::RightX, 0);
    pad.SetAxis(FwPadAxis::RightY, 0);
    platform_->SetCursorPos({640, 360});
    platform_->ProcessMessages();
    EXPECT_EQ(platform_->GetCursorPos().x, 640);
    EXPECT_EQ(platform_->GetCursorPos().y, 360);
}

TEST_F(SdlController, HotPlugOpensAndClosesControllers) {
    EXPECT_EQ(platform_->ControllerCount(), 0);
    auto first = std::make_unique<FwVirtualController>();
    auto second = std::make_unique<FwVirtualController>();
    ASSERT_TRUE(first->IsAttached());
    ASSERT_TRUE(second->IsAttached());
    platform_->ProcessMessages();
    EXPECT_EQ(platform_->ControllerCount(), 2);

    // Either controller drives the game; the larger deflection wins.
    second->SetAxis(FwPadAxis::LeftX, 32767);
    first->SetButton(FwPadButton::Start, true);
    platform_->ProcessMessages();
    EXPECT_TRUE(platform_->IsKeyDown('D'));
    EXPECT_TRUE(platform_->IsKeyDown('P'));

    // Unplugging the one holding the stick releases its keys at once.
    second.reset();
    platform_->ProcessMessages();
    EXPECT_EQ(platform_->ControllerCount(), 1);
    EXPECT_FALSE(platform_->IsKeyDown('D'));
    EXPECT_TRUE(platform_->IsKeyDown('P'));
    first.reset();
    platform_->ProcessMessages();
    EXPECT_EQ(platform_->ControllerCount(), 0);
    EXPECT_FALSE(platform_->IsKeyDown('P'));

    // Plugged in again later: picked up like the first time.
    FwVirtualController third;
    platform_->ProcessMessages();
    EXPECT_EQ(platform_->ControllerCount(), 1);
}
