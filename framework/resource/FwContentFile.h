// Reading a content file whole, within bounds: the one place that decides
// what the loaders (models, textures, sounds) agree to open.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// glTF, texture and WAV loaders: a regular file of at most maxBytes, read
// whole into bytes. Anything else (missing, a folder, a device or pipe that
// could block or never end, too large, short read) is refused with the
// reason in error.
bool FwReadBoundedFile(const std::string& path, uint64_t maxBytes, std::vector<uint8_t>& bytes, std::string& error);
