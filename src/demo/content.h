// The demo's script: what is set up once, and what every frame draws for the music position.
#pragma once

// Once, inside LoadContent, between opening the pack and starting the soundtrack.
void SetUpContent();

// Once a frame, inside RenderFrame, after the clear and before the restart key; leaves the
// back buffer as the render target.
void ComposeFrame();
