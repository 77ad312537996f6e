// The program's resources, as a resource compiler would build and link them: dialog templates,
// bitmaps and icons in their Windows binary layouts, added to the program image before WinMain
// runs and found again with FindResourceA. A program's resource script uses the writers below.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <windows.h>

namespace platform::win32 {

// Adds a resource under an integer id. A second resource with the same type and id replaces
// the first.
void AddProgramResource(LPCSTR type, WORD id, std::vector<uint8_t> bytes);

// Registers a resource at static initialisation: `static ProgramResource r(RT_BITMAP, 112, Make);`
struct ProgramResource {
  ProgramResource(LPCSTR type, WORD id, std::vector<uint8_t> (*make)()) {
    AddProgramResource(type, id, make());
  }
};

// Predefined control classes, by atom.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kComboBoxClass = 0x0085;

// A DLGTEMPLATE with its DLGITEMTEMPLATEs, positions and sizes in dialog units.
class DialogTemplateWriter {
 public:
  DialogTemplateWriter(DWORD style, short x, short y, short cx, short cy, const char* caption,
                       WORD pointSize, const char* typeface);
  // `text` is the control's text; for a bitmap static use ControlWithResource.
  void Control(WORD id, WORD classAtom, const char* text, DWORD style, short x, short y, short cx,
               short cy);
  void ControlWithResource(WORD id, WORD classAtom, WORD resourceId, DWORD style, short x, short y,
                           short cx, short cy);
  std::vector<uint8_t> Bytes() const;

 private:
  void Header(DWORD style, short x, short y, short cx, short cy);
  std::vector<uint8_t> bytes_;
  size_t countOffset_ = 0;
  WORD count_ = 0;
};

// An RT_BITMAP resource (a DIB: BITMAPINFOHEADER, then rows bottom first, 4-byte aligned) from
// 24-bit pixels given top row first, R, G, B.
std::vector<uint8_t> MakeBitmapResource(int width, int height, const std::vector<uint8_t>& rgb);

// An icon image (RT_ICON) from 32-bit pixels given top row first, R, G, B, A; and the group
// (RT_GROUP_ICON) naming icon images by id and size.
std::vector<uint8_t> MakeIconImageResource(int size, const std::vector<uint8_t>& rgba);
std::vector<uint8_t> MakeIconGroupResource(const std::vector<std::pair<WORD, int>>& idAndSize,
                                           const std::vector<size_t>& imageBytes);

// Readers for the stand-in itself. All are bounded by the resource's size; false on anything
// malformed.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;  // top row first
};
bool DecodeBitmapResource(const uint8_t* data, size_t size, DecodedImage* image);
bool DecodeIconImageResource(const uint8_t* data, size_t size, DecodedImage* image);

struct IconGroupEntry {
  int size;
  WORD id;
};
bool DecodeIconGroupResource(const uint8_t* data, size_t size, std::vector<IconGroupEntry>* entries);

// The raw bytes of a resource; null when there is none.
const std::vector<uint8_t>* FindProgramResource(LPCSTR type, WORD id);
// Every id of a type, in ascending order.
std::vector<WORD> ProgramResourceIds(LPCSTR type);

}  // namespace platform::win32
