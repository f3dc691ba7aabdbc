// Event tap for the headless harness.
//
// Framework and game code report notable things ("scene:title",
// "sound:play:Determination.wav", ...) with FwTraceEvent. The real game
// installs no sink, so the call costs one pointer test; only while it records
// a play (--record) does the input recorder listen for scene changes. The
// harness installs a sink that collects the events of the current frame into
// its JSON trace.
#pragma once

#include <functional>
#include <string>

using FwTraceSink = std::function<void(const std::string&)>;

// Harness start-up: install (or, with an empty function, remove) the sink.
void FwSetTraceSink(FwTraceSink sink);
// The input recorder, when it starts: the sink it chains in front of, so
// the harness's trace and a recording can listen at the same time.
FwTraceSink FwGetTraceSink();
bool FwTraceEnabled();
// Anyone, any time: report an event.
void FwTraceEvent(const std::string& event);
