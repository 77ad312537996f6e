// The program's resources: the setup dialog's template, its picture and the program's icons.
// Linked into the program the way a compiled resource script would be.
#include <commctrl.h>
#include <program_resources.h>
#include <windows.h>

#include <algorithm>
#include <cmath>

#include "app/resource_ids.h"

namespace {

using platform::win32::DialogTemplateWriter;
using platform::win32::kButtonClass;
using platform::win32::kComboBoxClass;
using platform::win32::kStaticClass;
using platform::win32::ProgramResource;

constexpr WORD kNoId = 0xFFFF;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

std::vector<uint8_t> SetupDialogTemplate() {
  DialogTemplateWriter d(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER,
                         0, 0, 214, 129, "Engine setup......... . . . .  . ", 8, "Arial");
  d.Control(IDOK, kButtonClass, "OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 5, 103, 45, 14);
  d.Control(IDCANCEL, kButtonClass, "Cancel", kChild | BS_PUSHBUTTON | WS_TABSTOP, 59, 103, 36,
            14);
  d.Control(kResolutionListId, kComboBoxClass, "",
            kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 7, 18, 89, 95);
  d.Control(kNoId, kStaticClass, "Select Resolution", kChild | SS_LEFT, 21, 10, 70, 8);
  d.Control(kDeviceListId, kComboBoxClass, "", kChild | CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
            9, 43, 89, 80);
  d.Control(kNoId, kStaticClass, "Device", kChild | SS_LEFT, 37, 34, 28, 8);
  d.Control(kTripleBufferingId, kButtonClass, "Triple Buffering",
            kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 17, 81, 66, 8);
  d.Control(kNoId, kButtonClass, "Choose ...", kChild | BS_GROUPBOX, 1, 1, 102, 123);
  d.ControlWithResource(kNoId, kStaticClass, kSetupPictureId, kChild | SS_BITMAP | WS_BORDER, 113,
                        6, 91, 74);
  d.Control(kNoId, kButtonClass, "", kChild | BS_GROUPBOX, 113, 82, 88, 41);
  d.Control(kNoId, kStaticClass, "Kevo`s Plexora", kChild | SS_CENTER, 119, 94, 75, 8);
  d.Control(kNoId, kStaticClass, "v1.0b", kChild | SS_CENTER | WS_BORDER, 122, 103, 63, 11);
  d.Control(kWindowedId, kButtonClass, "Windowed", kChild | BS_AUTOCHECKBOX | WS_TABSTOP, 18, 65,
            65, 10);
  return d.Bytes();
}

struct Colour {
  float r, g, b;
};

float Clamp01(float v) { return std::clamp(v, 0.0f, 1.0f); }

// The engine's emblem: a bump-ringed sphere lit from the upper left, glowing over a deep
// blue-violet ground, with a ring of short strands around it. `u`, `v` in [-1, 1].
Colour Emblem(float u, float v, float* coverage) {
  const float r2 = u * u + v * v;
  const float r = std::sqrt(r2);
  Colour c{0.05f + 0.10f * (1.0f - v) * 0.5f, 0.04f + 0.05f * (1.0f - r), 0.18f + 0.22f * (1.0f - v) * 0.5f};
  // Glow around the sphere.
  const float glow = std::exp(-6.0f * std::max(0.0f, r - 0.55f));
  c.r += 0.35f * glow;
  c.g += 0.20f * glow;
  c.b += 0.45f * glow;
  // Strands: thin radial streaks just outside the sphere.
  const float angle = std::atan2(v, u);
  const float streak = std::pow(std::max(0.0f, std::cos(angle * 24.0f)), 8.0f);
  const float band = Clamp01(1.0f - std::fabs(r - 0.68f) / 0.1f);
  c.r += 0.5f * streak * band;
  c.g += 0.45f * streak * band;
  c.b += 0.3f * streak * band;
  *coverage = 1.0f;
  const float s = 0.55f;
  if (r < s) {
    const float x = u / s, y = v / s;
    const float z = std::sqrt(std::max(0.0f, 1.0f - x * x - y * y));
    // Rings in the surface, like a bump map, tilt the normal.
    const float ring = std::sin(std::sqrt(x * x + y * y) * 18.0f) * 0.25f;
    float nx = x * (1.0f + ring), ny = y * (1.0f + ring), nz = z;
    const float len = std::sqrt(nx * nx + ny * ny + nz * nz);
    nx /= len;
    ny /= len;
    nz /= len;
    const float lx = -0.5f, ly = -0.6f, lz = 0.62f;
    const float diffuse = std::max(0.0f, nx * lx + ny * ly + nz * lz);
    // Highlight from the half vector between the light and the viewer (looking down -z).
    const float hx = lx, hy = ly, hz = lz + 1.0f;
    const float hlen = std::sqrt(hx * hx + hy * hy + hz * hz);
    const float highlight =
        std::pow(std::max(0.0f, (nx * hx + ny * hy + nz * hz) / hlen), 24.0f);
    c = Colour{0.15f + 0.81f * diffuse + highlight, 0.10f + 0.55f * diffuse + highlight,
               0.25f + 0.75f * diffuse + highlight};
  }
  return c;
}

uint8_t Byte(float v) { return static_cast<uint8_t>(std::lround(Clamp01(v) * 255.0f)); }

std::vector<uint8_t> SetupPicture() {
  const int size = 128;
  std::vector<uint8_t> rgb(size * size * 3);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float coverage;
      const Colour c = Emblem((x + 0.5f) / size * 2.0f - 1.0f, (y + 0.5f) / size * 2.0f - 1.0f,
                              &coverage);
      uint8_t* p = &rgb[(y * size + x) * 3];
      p[0] = Byte(c.r);
      p[1] = Byte(c.g);
      p[2] = Byte(c.b);
    }
  return platform::win32::MakeBitmapResource(size, size, rgb);
}

// Icons: the emblem in a rounded square whose corners are transparent.
std::vector<uint8_t> IconPixels(int size) {
  std::vector<uint8_t> rgba(size * size * 4);
  const float corner = size * 0.22f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float coverage;
      const Colour c = Emblem((x + 0.5f) / size * 2.0f - 1.0f, (y + 0.5f) / size * 2.0f - 1.0f,
                              &coverage);
      const float dx = std::max(0.0f, std::max(corner - (x + 0.5f), (x + 0.5f) - (size - corner)));
      const float dy = std::max(0.0f, std::max(corner - (y + 0.5f), (y + 0.5f) - (size - corner)));
      const float alpha = Clamp01(corner - std::sqrt(dx * dx + dy * dy) + 0.5f);
      uint8_t* p = &rgba[(y * size + x) * 4];
      p[0] = Byte(c.r);
      p[1] = Byte(c.g);
      p[2] = Byte(c.b);
      p[3] = Byte(alpha);
    }
  return rgba;
}

constexpr WORD kIconIds[] = {1, 2, 3};
constexpr int kIconSizes[] = {16, 32, 48};

std::vector<uint8_t> Icon16() { return platform::win32::MakeIconImageResource(16, IconPixels(16)); }
std::vector<uint8_t> Icon32() { return platform::win32::MakeIconImageResource(32, IconPixels(32)); }
std::vector<uint8_t> Icon48() { return platform::win32::MakeIconImageResource(48, IconPixels(48)); }

std::vector<uint8_t> IconGroup() {
  std::vector<std::pair<WORD, int>> entries;
  std::vector<size_t> sizes;
  for (int i = 0; i < 3; ++i) {
    entries.push_back({kIconIds[i], kIconSizes[i]});
    sizes.push_back(40 + static_cast<size_t>(kIconSizes[i]) * kIconSizes[i] * 4 +
                    ((kIconSizes[i] + 31) / 32) * 4 * kIconSizes[i]);
  }
  return platform::win32::MakeIconGroupResource(entries, sizes);
}

const ProgramResource dialog(RT_DIALOG, kSetupDialogId, SetupDialogTemplate);
const ProgramResource picture(RT_BITMAP, kSetupPictureId, SetupPicture);
const ProgramResource icon16(RT_ICON, kIconIds[0], Icon16);
const ProgramResource icon32(RT_ICON, kIconIds[1], Icon32);
const ProgramResource icon48(RT_ICON, kIconIds[2], Icon48);
const ProgramResource icons(RT_GROUP_ICON, kProgramIconGroupId, IconGroup);

}  // namespace
