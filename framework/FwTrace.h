// Event tap for the headless harness.
//
// Framework and game code report notable things ("scene:title",
// "sound:play:Determination.wav", ...) with FwTraceEvent. The real game
// installs no sink, so the call costs one pointer test. The harness installs a
// sink that collects the events of the current frame into its JSON trace.
#pragma once

#include <functional>
#include <string>

using FwTraceSink = std::function<void(const std::string&)>;

// Harness start-up: install (or, with an empty function, remove) the sink.
void FwSetTraceSink(FwTraceSink sink);
bool FwTraceEnabled();
// Anyone, any time: report an event.
void FwTraceEvent(const std::string& event);
