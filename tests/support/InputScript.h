// Input scripts (the harness's --input format) parsed in a test.
#pragma once

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "framework/platform/FwHeadlessPlatform.h"

namespace inputscript {

inline bool Parse(const std::string& text, std::vector<FwInputSpan>& spans, std::string& error) {
    std::istringstream in(text);
    return FwParseInputScript(in, spans, error);
}

// The error a script that must be refused gets (the test fails if it is accepted).
inline std::string ErrorOf(const std::string& text) {
    std::vector<FwInputSpan> spans;
    std::string error;
    EXPECT_FALSE(Parse(text, spans, error)) << "accepted: " << text;
    return error;
}

// The spans of a script that must parse (the test fails if it does not).
inline std::vector<FwInputSpan> Spans(const std::string& text) {
    std::vector<FwInputSpan> spans;
    std::string error;
    EXPECT_TRUE(Parse(text, spans, error)) << error;
    return spans;
}

}  // namespace inputscript
