// The input script's mouse:X,Y token: parsing, its range and form checks,
// and the headless cursor it places (and leaves in place afterwards).
#include <gtest/gtest.h>

#include <sstream>

#include "framework/platform/FwHeadlessPlatform.h"
#include "tests/support/InputScript.h"

namespace {
using inputscript::ErrorOf;
using inputscript::Parse;

FwPoint ClientCursor(const FwHeadlessPlatform& platform) { return platform.ScreenToClient(platform.GetCursorPos()); }
}  // namespace

TEST(MouseToken, PlacesTheCursorWithinTheClientArea) {
    std::vector<FwInputSpan> spans;
    std::string error;
    ASSERT_TRUE(Parse("3 mouse:0,0\n1 MOUSE:1279,719 LMB\n2 Mouse:+640,360 W\n4 W look:1,1\n", spans, error)) << error;
    ASSERT_EQ(spans.size(), 4u);
    ASSERT_TRUE(spans[0].mouse.has_value());
    EXPECT_EQ(spans[0].mouse->x, 0);
    EXPECT_EQ(spans[0].mouse->y, 0);
    EXPECT_EQ(spans[0].frames, 3u);
    ASSERT_TRUE(spans[1].mouse.has_value());
    EXPECT_EQ(spans[1].mouse->x, 1279);
    EXPECT_EQ(spans[1].mouse->y, 719);
    EXPECT_EQ(spans[1].keys, std::vector<int>{FwKey::LButton});
    ASSERT_TRUE(spans[2].mouse.has_value());
    EXPECT_EQ(spans[2].mouse->x, 640);
    EXPECT_EQ(spans[2].mouse->y, 360);
    EXPECT_FALSE(spans[3].mouse.has_value());
    // Placing moves nothing by itself.
    EXPECT_EQ(spans[0].look.x, 0);
    EXPECT_EQ(spans[0].look.y, 0);
}

TEST(MouseToken, OutOfRangeAndMalformedTokensNameTheirLine) {
    for (const char* token : {"mouse:-1,0", "mouse:1280,0", "mouse:0,720", "mouse:0,-1", "mouse:99999999999,0"}) {
        std::string error = ErrorOf(std::string("1 W\n# c\n2 ") + token + "\n");
        EXPECT_NE(error.find("line 3: bad mouse token"), std::string::npos) << token << " -> " << error;
        EXPECT_NE(error.find("0..1279"), std::string::npos) << error;
    }
    for (const char* token : {"mouse:", "mouse:5", "mouse:5,", "mouse:,5", "mouse:a,b", "mouse:1,2,3", "mouse:1;2",
                              "mouse:1.5,2", "mouse:1, 2"}) {
        std::string error = ErrorOf(std::string("1 ") + token + "\n");
        EXPECT_NE(error.find("line 1:"), std::string::npos) << token << " -> " << error;
    }
    EXPECT_NE(ErrorOf("1 mouse:1,2 mouse:3,4\n").find("line 1: more than one mouse token"), std::string::npos);
    EXPECT_NE(ErrorOf("1 W\n1 look:1,0 mouse:3,4\n").find("line 2:"), std::string::npos);
    EXPECT_NE(ErrorOf("1 mouse:3,4 look:1,0\n").find("line 1:"), std::string::npos);
    EXPECT_NE(ErrorOf("1 mice:3,4\n").find("line 1: unknown token"), std::string::npos);
}

TEST(MouseToken, CursorStaysWhereItWasPutAfterItsLine) {
    std::istringstream in("2 mouse:100,50\n3 W\n1 look:5,-2\n1 mouse:1200,700\n");
    std::vector<FwInputSpan> spans;
    std::string error;
    ASSERT_TRUE(FwParseInputScript(in, spans, error)) << error;
    FwHeadlessPlatform platform;
    platform.SetScript(std::move(spans));
    EXPECT_EQ(ClientCursor(platform).x, 640);  // before the script: the centre
    EXPECT_EQ(ClientCursor(platform).y, 360);

    for (int frame = 1; frame <= 5; ++frame) {
        platform.ProcessMessages();
        EXPECT_EQ(ClientCursor(platform).x, 100) << frame;
        EXPECT_EQ(ClientCursor(platform).y, 50) << frame;
    }
    platform.ProcessMessages();  // look moves on from the placed point
    EXPECT_EQ(ClientCursor(platform).x, 105);
    EXPECT_EQ(ClientCursor(platform).y, 48);
    platform.ProcessMessages();
    EXPECT_EQ(ClientCursor(platform).x, 1200);
    EXPECT_EQ(ClientCursor(platform).y, 700);
    for (int frame = 0; frame < 3; ++frame) {  // past the script's end
        platform.ProcessMessages();
        EXPECT_EQ(ClientCursor(platform).x, 1200);
        EXPECT_EQ(ClientCursor(platform).y, 700);
    }
}

TEST(MouseToken, EachFrameOfTheLinePlacesTheCursorAgainAfterAWarp) {
    std::istringstream in("3 mouse:700,360\n1\n");
    std::vector<FwInputSpan> spans;
    std::string error;
    ASSERT_TRUE(FwParseInputScript(in, spans, error)) << error;
    FwHeadlessPlatform platform;
    platform.SetScript(std::move(spans));
    const FwPoint centre = platform.ClientToScreen({640, 360});
    // The player's mouse look: read the offset from the centre, warp back.
    for (int frame = 1; frame <= 3; ++frame) {
        platform.ProcessMessages();
        EXPECT_EQ(platform.GetCursorPos().x - centre.x, 60) << frame;
        EXPECT_EQ(platform.GetCursorPos().y - centre.y, 0) << frame;
        platform.SetCursorPos(centre);
    }
    platform.ProcessMessages();  // after the line the warped cursor stays put
    EXPECT_EQ(platform.GetCursorPos().x, centre.x);
    EXPECT_EQ(platform.GetCursorPos().y, centre.y);
}
