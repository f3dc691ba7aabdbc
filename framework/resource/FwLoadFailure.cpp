#include "framework/resource/FwLoadFailure.h"

#include <cstdio>

void FwReportLoadFailure(const std::string& path, const std::string& reason, const char* fallback) {
    // One line whatever the reason holds (parsers report several).
    std::string line = reason;
    for (char& c : line)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "cannot load %s: %s (%s)\n", path.c_str(), line.c_str(), fallback);
}
