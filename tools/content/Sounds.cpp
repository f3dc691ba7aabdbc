#include "tools/content/Content.h"

bool WriteSounds(const ContentContext&) { return true; }
