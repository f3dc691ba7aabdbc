#include <gtest/gtest.h>

#include <sstream>

#include "framework/audio/FwAudioDevice.h"
#include "framework/platform/FwHeadlessPlatform.h"
#include "tests/support/InputScript.h"

namespace {
std::vector<FwInputSpan> Script(const std::string& text) { return inputscript::Spans(text); }
}  // namespace

TEST(HeadlessPlatform, VirtualClockOnlyMovesWhenSleepingAndWraps) {
    FwHeadlessPlatform platform(0xFFFFFFF0u);
    EXPECT_EQ(platform.TimeMs(), 0xFFFFFFF0u);
    platform.ProcessMessages();
    EXPECT_EQ(platform.TimeMs(), 0xFFFFFFF0u);
    platform.SleepMs(11);
    EXPECT_EQ(platform.TimeMs(), 0xFFFFFFFBu);
    platform.SleepMs(16);
    EXPECT_EQ(platform.TimeMs(), 0x0000000Bu);
}

TEST(HeadlessPlatform, EachFrameHoldsItsScriptedKeysThenNothing) {
    FwHeadlessPlatform platform;
    platform.SetScript(Script("2 W SPACE\n1 LMB RMB\n"));
    EXPECT_EQ(platform.ScriptFrames(), 3u);
    EXPECT_FALSE(platform.IsKeyDown('W'));  // before the first frame

    platform.ProcessMessages();
    EXPECT_TRUE(platform.IsKeyDown('W'));
    EXPECT_TRUE(platform.IsKeyDown(FwKey::Space));
    EXPECT_FALSE(platform.IsKeyDown(FwKey::LButton));
    platform.ProcessMessages();
    EXPECT_TRUE(platform.IsKeyDown('W'));
    platform.ProcessMessages();
    EXPECT_FALSE(platform.IsKeyDown('W'));
    EXPECT_TRUE(platform.IsKeyDown(FwKey::LButton));
    EXPECT_TRUE(platform.IsKeyDown(FwKey::RButton));
    for (int i = 0; i < 3; ++i) {
        platform.ProcessMessages();
        EXPECT_FALSE(platform.IsKeyDown(FwKey::LButton));
        EXPECT_FALSE(platform.IsKeyDown(FwKey::Escape));
    }
    EXPECT_EQ(platform.FrameCount(), 6u);
    EXPECT_TRUE(platform.IsGameWindowActive());
}

TEST(HeadlessPlatform, LookMovesTheCursorOncePerFrameAndWarpResetsIt) {
    FwHeadlessPlatform platform;
    platform.SetScript(Script("2 look:10,-4\n1 W\n"));
    const FwPoint centre = platform.ClientToScreen({640, 360});
    EXPECT_EQ(platform.GetCursorPos().x, centre.x);
    EXPECT_EQ(platform.GetCursorPos().y, centre.y);

    // The player's mouse look: read the offset from the centre, warp back.
    for (int frame = 1; frame <= 2; ++frame) {
        platform.ProcessMessages();
        FwPoint p = platform.GetCursorPos();
        EXPECT_EQ(p.x - centre.x, 10) << frame;
        EXPECT_EQ(p.y - centre.y, -4) << frame;
        platform.SetCursorPos(centre);
    }
    platform.ProcessMessages();
    EXPECT_EQ(platform.GetCursorPos().x, centre.x);
    EXPECT_EQ(platform.GetCursorPos().y, centre.y);
}

TEST(HeadlessPlatform, UnfocusedLinesMakeTheWindowInactiveInTheirFramesOnly) {
    FwHeadlessPlatform platform;
    platform.SetScript(Script("1 W\n2 UNFOCUSED w look:3,0\n1 unfocused mouse:10,20\n1\n"));
    const FwPoint centre = platform.ClientToScreen({640, 360});
    EXPECT_TRUE(platform.IsGameWindowActive());  // before the first frame
    platform.ProcessMessages();
    EXPECT_TRUE(platform.IsGameWindowActive());
    // Keys and cursor motion still arrive while the window is inactive.
    for (int frame = 2; frame <= 3; ++frame) {
        platform.ProcessMessages();
        EXPECT_FALSE(platform.IsGameWindowActive()) << frame;
        EXPECT_TRUE(platform.IsKeyDown('W')) << frame;
        EXPECT_EQ(platform.GetCursorPos().x - centre.x, 3 * (frame - 1)) << frame;
    }
    platform.ProcessMessages();
    EXPECT_FALSE(platform.IsGameWindowActive());
    EXPECT_EQ(platform.ScreenToClient(platform.GetCursorPos()).x, 10);
    platform.ProcessMessages();
    EXPECT_TRUE(platform.IsGameWindowActive());
    platform.ProcessMessages();  // past the script's end
    EXPECT_TRUE(platform.IsGameWindowActive());
}

TEST(HeadlessPlatform, ScreenAndClientCoordinatesDifferByTheWindowOrigin) {
    FwHeadlessPlatform platform;
    FwPoint screen = platform.ClientToScreen({0, 0});
    EXPECT_EQ(screen.x, FwHeadlessPlatform::kWindowOrigin.x);
    EXPECT_EQ(screen.y, FwHeadlessPlatform::kWindowOrigin.y);
    EXPECT_NE(screen.x, 0);
    FwPoint back = platform.ScreenToClient(platform.ClientToScreen({-7, 900}));
    EXPECT_EQ(back.x, -7);
    EXPECT_EQ(back.y, 900);
}

TEST(HeadlessPlatform, ShowCursorIsNotACounter) {
    FwHeadlessPlatform platform;
    platform.ShowCursor(false);
    platform.ShowCursor(false);
    platform.ShowCursor(true);
    EXPECT_TRUE(platform.IsCursorShown());
    platform.ShowCursor(false);
    EXPECT_FALSE(platform.IsCursorShown());
}

TEST(HeadlessPlatform, EscapeClosesTheWindowInItsFrame) {
    FwHeadlessPlatform platform;
    ASSERT_TRUE(platform.CreateGameWindow(1280, 720, "Gilded Vault"));
    platform.SetScript(Script("1 W\n1 ESC\n"));
    platform.ProcessMessages();
    EXPECT_TRUE(platform.IsWindowAlive());
    platform.ProcessMessages();
    EXPECT_FALSE(platform.IsWindowAlive());
    platform.ProcessMessages();  // nothing reopens it
    EXPECT_FALSE(platform.IsWindowAlive());
    platform.DestroyGameWindow();
    platform.DestroyGameWindow();  // twice is harmless
}

TEST(HeadlessPlatform, AudioDeviceRunsOnTheVirtualClock) {
    FwHeadlessPlatform platform;
    std::unique_ptr<FwAudioDevice> device = platform.OpenAudioDevice();
    ASSERT_NE(device, nullptr);
    FwPcmData pcm;
    pcm.channels = 1;
    pcm.sampleRate = 1000;
    pcm.samples.assign(100, 0);  // 100 ms
    std::unique_ptr<FwAudioVoice> voice = device->CreateVoice(device->CreateBuffer(pcm));
    ASSERT_NE(voice, nullptr);
    voice->Play(false);
    platform.SleepMs(50);
    device->Update();
    EXPECT_TRUE(voice->IsPlaying());
    platform.SleepMs(60);
    device->Update();
    EXPECT_FALSE(voice->IsPlaying());
}

TEST(HeadlessPlatform, MessageBoxGoesToStandardError) {
    FwHeadlessPlatform platform;
    testing::internal::CaptureStderr();
    platform.MessageBox("ウィンドウ作成に失敗", "エラー", FwMessageIcon::None);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "エラー: ウィンドウ作成に失敗\n");
}
