#include "demo/content.h"

// The scenes, overlays and effects join these as they are built; until then a frame is the
// cleared back buffer alone.
void SetUpContent() {}

void ComposeFrame() {}
