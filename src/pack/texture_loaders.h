// Textures from packed images: JPEGs through the JPEG decoder, everything else (TGA, BMP)
// handed to the texture creation as stored. Both make A8R8G8B8 textures with a full,
// linearly filtered mip chain on the demo's device.
#pragma once

#include <d3d8.h>

// No texture when there is no name, the JPEG cannot be decoded or the texture cannot be made.
IDirect3DTexture8* LoadJpegTexture(const char* name);
// No texture when the image cannot be read or the texture cannot be made.
IDirect3DTexture8* LoadPackedTexture(const char* name, D3DPOOL pool);
