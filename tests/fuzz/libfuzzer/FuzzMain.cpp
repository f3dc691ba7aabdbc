// libFuzzer's entry for one target, chosen by GV_FUZZ_TARGET (a function of
// tests/fuzz/FuzzTargets.h) when the GV_FUZZ build compiles this file once
// per target. A broken promise aborts, which libFuzzer records as a crash.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string problem;
    if (!gvfuzz::GV_FUZZ_TARGET(data, size, problem)) {
        std::fprintf(stderr, "fuzz target: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
