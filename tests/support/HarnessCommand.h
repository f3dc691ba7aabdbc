// Command lines that start gilded_vault_harness from a test: which harness,
// and shell quoting for the paths and arguments.
#pragma once

#include <cstdlib>
#include <string>

// The harness of the same build: GV_HARNESS under ctest, else the one in the
// build folder (a test executable run by hand).
inline std::string HarnessPath() {
    if (const char* env = std::getenv("GV_HARNESS"); env && *env) return env;
    return std::string(GV_BINARY_DIR) + "/gilded_vault_harness";
}

// s as one shell word: in single quotes, its own single quotes escaped.
inline std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}
