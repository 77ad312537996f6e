// Loading everything and drawing one frame.
#pragma once

// Opens the pack, sets up the content, starts the soundtrack and then the demo clock.
void LoadContent();

// One frame: reads the music position, clears, composes, handles the restart key, presents,
// updates the clocks.
void RenderFrame();
