#include "tools/content/Content.h"

bool WriteGltf(const std::string&, const CModel&) { return false; }
