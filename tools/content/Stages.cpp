#include "tools/content/Content.h"

bool WriteStages(const ContentContext&) { return true; }
