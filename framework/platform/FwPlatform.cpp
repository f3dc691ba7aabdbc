#include "framework/platform/FwPlatform.h"

#include <cstdio>
#include <cstdlib>

namespace {
FwPlatform*& Current() {
    static FwPlatform* platform = nullptr;
    return platform;
}
}  // namespace

FwPlatform& FwGetPlatform() {
    FwPlatform* p = Current();
    if (!p) {
        // A programming error, not a run-time condition: every entry point
        // installs a platform before anything polls it.
        std::fprintf(stderr, "FwGetPlatform: no platform installed\n");
        std::abort();
    }
    return *p;
}

void FwSetPlatform(FwPlatform* platform) { Current() = platform; }
bool FwHasPlatform() { return Current() != nullptr; }
