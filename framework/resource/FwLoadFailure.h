// The one rule for content files that fail to load (models, textures,
// sounds): the loader reports the file once, as one line on standard error
// naming its path and the reason, and then the documented stand-in is used.
#pragma once

#include <string>

// Loaders (FwModel::Load, FwTexture::Load and LoadShared, FwSoundEffect::Load),
// once per failed file: prints "cannot load <path>: <reason> (<fallback>)".
void FwReportLoadFailure(const std::string& path, const std::string& reason, const char* fallback);
