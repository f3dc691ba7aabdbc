#include "framework/FwTrace.h"

namespace {
FwTraceSink& Sink() {
    static FwTraceSink sink;
    return sink;
}
}  // namespace

void FwSetTraceSink(FwTraceSink sink) { Sink() = std::move(sink); }
FwTraceSink FwGetTraceSink() { return Sink(); }
bool FwTraceEnabled() { return static_cast<bool>(Sink()); }
void FwTraceEvent(const std::string& event) {
    if (Sink()) Sink()(event);
}
