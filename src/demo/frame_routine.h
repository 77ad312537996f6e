// Loading everything and drawing one frame.
#pragma once

// Opens the pack, sets up the content, starts the soundtrack and then the demo clock. Stops
// right after opening when the pack cannot be opened (packFile.IsOpen() is then false).
void LoadContent();

// One frame: reads the music position, clears, composes, handles the restart key, presents,
// updates the clocks.
void RenderFrame();
