// Loading everything and drawing one frame.
#pragma once

// Loads all content, starts the soundtrack and the demo clock.
void LoadContent();

// One frame: reads the music position, draws, presents, updates the clocks.
void RenderFrame();
