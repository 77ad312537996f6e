// Decoding packed JPEG images into the 24-bit DIB block the texture creation reads.
#pragma once

#include <windows.h>

// The DIB block: a 40-byte BITMAPINFOHEADER, then H bottom-up rows of W blue-green-red
// pixels, each row padded to a multiple of 4 bytes.
constexpr DWORD kDibHeaderSize = 40;
// Blocks beyond this are refused: no texture of the demo comes near it.
constexpr DWORD kMaxDibBlockSize = 256u << 20;

// The padded row length and the pixel bytes S of a W x H DIB; false when 40 + S would
// exceed kMaxDibBlockSize (computed without overflow).
bool DibSize(DWORD width, DWORD height, DWORD* rowLength, DWORD* pixelBytes);

// Decodes the named pack entry. On success returns 1, a new[] block of 40 + S bytes in
// *dib (the caller delete[]s it) and its length in *dibSize; on failure returns 0 and no
// block. No name: fails without extracting anything.
int DecodeJpeg(const char* name, unsigned char** dib, DWORD* dibSize);
