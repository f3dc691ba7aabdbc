#include <gtest/gtest.h>

#include <sstream>

#include "framework/platform/FwHeadlessPlatform.h"
#include "tests/support/InputScript.h"

using inputscript::ErrorOf;
using inputscript::Parse;

TEST(InputScript, ParsesSpansTokensCommentsAndBlankLines) {
    const char* text =
        "# walk forward, then click while looking right\n"
        "\n"
        "3 W\n"
        "   \t\n"
        "2 lmb look:5,-3   # comment after tokens\n"
        "1 W A S D SPACE R P RMB\n"
        "10\r\n"
        "1 ESC";
    std::vector<FwInputSpan> spans;
    std::string error;
    ASSERT_TRUE(Parse(text, spans, error)) << error;
    ASSERT_EQ(spans.size(), 5u);
    EXPECT_EQ(spans[0].frames, 3u);
    EXPECT_EQ(spans[0].keys, std::vector<int>{'W'});
    EXPECT_EQ(spans[1].frames, 2u);
    EXPECT_EQ(spans[1].keys, std::vector<int>{FwKey::LButton});
    EXPECT_EQ(spans[1].look.x, 5);
    EXPECT_EQ(spans[1].look.y, -3);
    EXPECT_EQ(spans[2].keys, (std::vector<int>{'W', 'A', 'S', 'D', FwKey::Space, 'R', 'P', FwKey::RButton}));
    EXPECT_EQ(spans[3].frames, 10u);
    EXPECT_TRUE(spans[3].keys.empty());
    EXPECT_EQ(spans[4].keys, std::vector<int>{FwKey::Escape});
}

TEST(InputScript, RepeatedTokensAddLookAndHoldKeysOnce) {
    std::vector<FwInputSpan> spans;
    std::string error;
    ASSERT_TRUE(Parse("4 W w look:1,2 LOOK:+3,-4", spans, error)) << error;
    EXPECT_EQ(spans[0].keys, std::vector<int>{'W'});
    EXPECT_EQ(spans[0].look.x, 4);
    EXPECT_EQ(spans[0].look.y, -2);
}

TEST(InputScript, EmptyScriptIsValid) {
    std::vector<FwInputSpan> spans;
    std::string error;
    EXPECT_TRUE(Parse("# nothing\n\n", spans, error));
    EXPECT_TRUE(spans.empty());
}

TEST(InputScript, MalformedLinesAreReportedWithTheirNumber) {
    EXPECT_NE(ErrorOf("1 W\n\n2 JUMP\n").find("line 3: unknown token 'JUMP'"), std::string::npos);
    EXPECT_NE(ErrorOf("W 3\n").find("line 1: frame count 'W'"), std::string::npos);
    EXPECT_NE(ErrorOf("# c\n0 W\n").find("line 2:"), std::string::npos);
    EXPECT_NE(ErrorOf("-1 W\n").find("line 1:"), std::string::npos);
    EXPECT_NE(ErrorOf("2.5 W\n").find("line 1:"), std::string::npos);
    EXPECT_NE(ErrorOf("99999999999999999999999 W\n").find("line 1:"), std::string::npos);
    EXPECT_NE(ErrorOf("1000000001\n").find("out of range"), std::string::npos);
}

TEST(InputScript, MalformedLookTokensAreRejected) {
    for (const char* token : {"look:", "look:5", "look:5,", "look:,5", "look:a,b", "look:1,2,3", "look:1;2",
                              "look:9999999999,0", "look:100001,0"}) {
        std::string error = ErrorOf(std::string("1 ") + token + "\n");
        EXPECT_NE(error.find("line 1: bad look token"), std::string::npos) << token << " -> " << error;
    }
}
