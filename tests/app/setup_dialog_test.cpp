// The setup dialog through the dialog stand-in on the offline host: the mode list and its filter,
// the pre-selections, and what OK, Cancel, the keyboard and the mouse leave in displaySettings.
#include <gtest/gtest.h>

#include <commctrl.h>

#include <functional>
#include <vector>

#include "app/resource_ids.h"
#include "offline_environment.h"
#include "app/setup_dialog.h"
#include "platform/host/host.h"
#include "platform/win32/dialog_state.h"
#include "platform/win32/dialog_template.h"
#include "platform/win32/program_resources.h"
#include "platform/win32/window_system.h"

namespace {

// An adapter with the modes and device caps a test gives it.
class FakeDirect3D : public IDirect3D8 {
 public:
  std::vector<D3DDISPLAYMODE> modes;
  DWORD devCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;

  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  UINT GetAdapterCount() override { return 1; }
  HRESULT GetAdapterIdentifier(UINT, DWORD, D3DADAPTER_IDENTIFIER8*) override {
    return D3DERR_INVALIDCALL;
  }
  UINT GetAdapterModeCount(UINT) override { return static_cast<UINT>(modes.size()); }
  HRESULT EnumAdapterModes(UINT, UINT mode, D3DDISPLAYMODE* out) override {
    if (mode >= modes.size()) return D3DERR_INVALIDCALL;
    *out = modes[mode];
    return D3D_OK;
  }
  HRESULT GetAdapterDisplayMode(UINT, D3DDISPLAYMODE*) override { return D3DERR_INVALIDCALL; }
  HRESULT CheckDeviceType(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, BOOL) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT CheckDeviceFormat(UINT, D3DDEVTYPE, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                            D3DFORMAT) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT CheckDeviceMultiSampleType(UINT, D3DDEVTYPE, D3DFORMAT, BOOL,
                                     D3DMULTISAMPLE_TYPE) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT CheckDepthStencilMatch(UINT, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) override {
    return D3DERR_INVALIDCALL;
  }
  HRESULT GetDeviceCaps(UINT, D3DDEVTYPE, D3DCAPS8* caps) override {
    *caps = D3DCAPS8{};
    caps->DevCaps = devCaps;
    return D3D_OK;
  }
  HRESULT CreateDevice(UINT, D3DDEVTYPE, HWND, DWORD, D3DPRESENT_PARAMETERS*,
                       IDirect3DDevice8**) override {
    return D3DERR_INVALIDCALL;
  }
};

D3DDISPLAYMODE Mode(UINT w, UINT h, UINT hz = 60, D3DFORMAT f = D3DFMT_X8R8G8B8) {
  return D3DDISPLAYMODE{w, h, hz, f};
}

struct Seen {
  std::vector<std::string> labels;
  std::vector<std::string> devices;
  int resolution = -2;
  int device = -2;
  UINT triple = 99, windowed = 99;
};

std::string ItemText(HWND dialog, int id, int index) {
  char text[64] = {};
  SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
  return text;
}

// Runs the dialog with the given modes; `act` plays the user's part after the dialog has been
// looked at. Returns the dialog's result.
INT_PTR RunWith(FakeDirect3D& adapter, Seen* seen, std::function<void(HWND)> act) {
  displaySettings = DisplaySettings{};
  BuildModeList(&adapter);
  dialogAnswerForTests = [&](HWND dialog) {
    if (seen) {
      const int modes = static_cast<int>(SendDlgItemMessageA(dialog, kResolutionListId, CB_GETCOUNT, 0, 0));
      for (int i = 0; i < modes; ++i) seen->labels.push_back(ItemText(dialog, kResolutionListId, i));
      for (int i = 0; i < 3; ++i) seen->devices.push_back(ItemText(dialog, kDeviceListId, i));
      seen->resolution = static_cast<int>(SendDlgItemMessageA(dialog, kResolutionListId, CB_GETCURSEL, 0, 0));
      seen->device = static_cast<int>(SendDlgItemMessageA(dialog, kDeviceListId, CB_GETCURSEL, 0, 0));
      seen->triple = IsDlgButtonChecked(dialog, kTripleBufferingId);
      seen->windowed = IsDlgButtonChecked(dialog, kWindowedId);
    }
    if (act) act(dialog);
  };
  InitCommonControls();
  const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kSetupDialogId),
                                         nullptr, SetupDialogProcedure, 0);
  dialogAnswerForTests = nullptr;
  return result;
}

void Key(HWND dialog, UINT vk) {
  platform::win32::PostKeyInput(dialog, vk, true, false);
  platform::win32::PostKeyInput(dialog, vk, false, false);
}

void Command(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

}  // namespace

TEST(SetupDialog, ModeFilterLabelsAndPreselection) {
  const struct {
    const char* name;
    std::vector<D3DDISPLAYMODE> modes;
    DWORD devCaps;
    std::vector<std::string> labels;
    int resolution;
    int device;
  } cases[] = {
      {"no 800x600x32: the first entry",
       {Mode(640, 480), Mode(800, 600, 60, D3DFMT_R5G6B5), Mode(1024, 768)},
       D3DDEVCAPS_HWTRANSFORMANDLIGHT,
       {"640x480x32", "800x600x16", "1024x768x32"},
       0,
       1},
      {"two qualifying entries: the later",
       {Mode(800, 600), Mode(1024, 768, 60, D3DFMT_A8R8G8B8), Mode(800, 600), Mode(1280, 1024)},
       D3DDEVCAPS_HWTRANSFORMANDLIGHT,
       {"800x600x32", "1024x768x32", "800x600x32", "1280x1024x32"},
       2,
       1},
      {"the filter: 640x480 at 60 Hz only",
       {Mode(639, 480), Mode(640, 479), Mode(640, 480, 59), Mode(640, 480, 75), Mode(640, 480),
        Mode(800, 600, 85), Mode(640, 480, 60, D3DFMT_X1R5G5B5)},
       D3DDEVCAPS_HWTRANSFORMANDLIGHT,
       {"640x480x32", "640x480x16"},
       0,
       1},
      {"no hardware transform: Hal Device", {Mode(800, 600)}, 0, {"800x600x32"}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDirect3D adapter;
    adapter.modes = c.modes;
    adapter.devCaps = c.devCaps;
    Seen seen;
    EXPECT_EQ(RunWith(adapter, &seen, [](HWND d) { Command(d, IDCANCEL); }), 0);
    EXPECT_EQ(seen.labels, c.labels);
    EXPECT_EQ(seen.devices, (std::vector<std::string>{"Hal Device", "T&L Hal Device", "Ref Device"}));
    EXPECT_EQ(seen.resolution, c.resolution);
    EXPECT_EQ(seen.device, c.device);
    EXPECT_EQ(seen.triple, UINT(BST_CHECKED));
    EXPECT_EQ(seen.windowed, UINT(BST_UNCHECKED));
  }
}

TEST(SetupDialog, MoreThanFiftyModesOffersTheFirstFifty) {
  FakeDirect3D adapter;
  for (UINT i = 0; i < 70; ++i) adapter.modes.push_back(Mode(640 + i, 480));
  Seen seen;
  RunWith(adapter, &seen, [](HWND d) { Command(d, IDCANCEL); });
  ASSERT_EQ(seen.labels.size(), 50u);
  EXPECT_EQ(seen.labels.back(), "689x480x32");
  EXPECT_EQ(modeCount, 50u);
}

TEST(SetupDialog, DeviceChoiceDecidesVertexProcessingAndReference) {
  const struct {
    DWORD devCaps;
    int choice;
    UINT hardware;
    UINT reference;
  } cases[] = {
      {0, 0, 0, 0}, {0, 1, 1, 0}, {0, 2, 0, 1},
      {D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0, 1, 0}, {D3DDEVCAPS_HWTRANSFORMANDLIGHT, 2, 1, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "caps " << c.devCaps << " choice " << c.choice);
    FakeDirect3D adapter;
    adapter.modes = {Mode(1024, 768), Mode(800, 600)};
    adapter.devCaps = c.devCaps;
    const int choice = c.choice;
    EXPECT_EQ(RunWith(adapter, nullptr,
                      [choice](HWND d) {
                        SendDlgItemMessageA(d, kDeviceListId, CB_SETCURSEL, choice, 0);
                        Command(d, IDOK);
                      }),
              1);
    EXPECT_EQ(displaySettings.hardwareVertexProcessing, c.hardware);
    EXPECT_EQ(displaySettings.referenceDevice, c.reference);
    EXPECT_EQ(displaySettings.width, 800u);
    EXPECT_EQ(displaySettings.height, 600u);
    EXPECT_EQ(displaySettings.refreshRate, 60u);
    EXPECT_EQ(displaySettings.backBufferFormat, D3DFMT_X8R8G8B8);
  }
}

TEST(SetupDialog, KeyboardAnswers) {
  const struct {
    const char* name;
    std::vector<UINT> keys;
    INT_PTR result;
    UINT windowed, backBufferCount, width;
  } cases[] = {
      {"Enter is OK with the pre-selections", {VK_RETURN}, 1, 0, 2, 800},
      {"Escape is Cancel", {VK_ESCAPE}, 0, 0, 0, 0},
      {"Tab to Windowed, Space", {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_SPACE, VK_RETURN}, 1, 1, 2, 800},
      {"Tab to Triple Buffering, Space", {VK_TAB, VK_TAB, VK_TAB, VK_TAB, VK_SPACE, VK_RETURN}, 1, 0, 1, 800},
      {"Shift+Tab wraps to Windowed", {VK_SHIFT}, 1, 1, 2, 800},  // see below
      {"Down in the resolution list", {VK_TAB, VK_TAB, VK_DOWN, VK_RETURN}, 1, 0, 2, 1024},
      {"Alt+Down opens the list, Up, Enter chooses", {VK_TAB, VK_TAB, VK_MENU, VK_UP, VK_RETURN, VK_RETURN}, 1, 0, 2, 640},
      {"Escape closes an open list only", {VK_TAB, VK_TAB, VK_F4, VK_DOWN, VK_ESCAPE, VK_RETURN}, 1, 0, 2, 800},
      {"Space on Cancel", {VK_TAB, VK_SPACE}, 0, 0, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDirect3D adapter;
    adapter.modes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768)};
    const std::vector<UINT> keys = c.keys;
    const INT_PTR result = RunWith(adapter, nullptr, [keys](HWND d) {
      if (keys == std::vector<UINT>{VK_SHIFT}) {
        // Shift+Tab from OK goes backwards to the last control, "Windowed".
        platform::win32::PostKeyInput(d, VK_SHIFT, true, false);
        Key(d, VK_TAB);
        platform::win32::PostKeyInput(d, VK_SHIFT, false, false);
        Key(d, VK_SPACE);
        Key(d, VK_RETURN);
        return;
      }
      for (size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] == VK_MENU) {
          // Alt+Down
          platform::win32::PostKeyInput(d, VK_MENU, true, false);
          Key(d, VK_DOWN);
          platform::win32::PostKeyInput(d, VK_MENU, false, false);
          continue;
        }
        Key(d, keys[i]);
      }
    });
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(displaySettings.windowed, c.windowed);
    EXPECT_EQ(displaySettings.backBufferCount, c.backBufferCount);
    EXPECT_EQ(displaySettings.width, c.width);
  }
}

TEST(SetupDialog, CloseBoxCancels) {
  FakeDirect3D adapter;
  adapter.modes = {Mode(800, 600)};
  EXPECT_EQ(RunWith(adapter, nullptr, [](HWND d) { platform::win32::PostCloseRequest(d); }), 0);
}

TEST(SetupDialog, MouseClicksOnControls) {
  FakeDirect3D adapter;
  adapter.modes = {Mode(640, 480), Mode(800, 600), Mode(1024, 768)};
  const INT_PTR result = RunWith(adapter, nullptr, [](HWND d) {
    const auto* dialog = platform::win32::FindDialog(d);
    ASSERT_NE(dialog, nullptr);
    const auto& m = dialog->metrics;
    auto click = [&](int dluX, int dluY) {
      const LPARAM at = MAKELPARAM(platform::win32::DialogUnitsToPixels(dluX, m.baseX, 4),
                                   platform::win32::DialogUnitsToPixels(dluY, m.baseY, 8));
      PostMessageA(d, WM_LBUTTONDOWN, 0, at);
      PostMessageA(d, WM_LBUTTONUP, 0, at);
    };
    click(20, 69);   // "Windowed"
    click(20, 84);   // "Triple Buffering"
    click(50, 22);   // opens the resolution list
    // The third item of the open list, below the field.
    const auto* combo = platform::win32::FindControl(GetDlgItem(d, kResolutionListId));
    const int y = combo->rect.bottom + 1 + 2 * m.itemHeight + m.itemHeight / 2;
    PostMessageA(d, WM_LBUTTONDOWN, 0, MAKELPARAM(combo->rect.left + 10, y));
    PostMessageA(d, WM_LBUTTONUP, 0, MAKELPARAM(combo->rect.left + 10, y));
    click(20, 108);  // OK
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(displaySettings.windowed, 1u);
  EXPECT_EQ(displaySettings.backBufferCount, 1u);
  EXPECT_EQ(displaySettings.width, 1024u);
}

TEST(SetupDialog, NoModeLeavesOnlyCancel) {
  FakeDirect3D adapter;
  adapter.modes = {Mode(320, 240)};
  testing::internal::CaptureStderr();
  const INT_PTR result = RunWith(adapter, nullptr, nullptr);  // OK, as Enter would
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, -1);
  EXPECT_NE(errors.find("No display mode"), std::string::npos) << errors;
  EXPECT_EQ(displaySettings.width, 0u);
  EXPECT_EQ(RunWith(adapter, nullptr, [](HWND d) { Key(d, VK_ESCAPE); }), 0);
}

namespace {

int ReadBitCount(const std::vector<uint8_t>& dib) { return dib.size() > 15 ? dib[14] | (dib[15] << 8) : 0; }

const std::vector<uint8_t>& Resource(LPCSTR type, int id) {
  static const std::vector<uint8_t> none;
  const auto* bytes = platform::win32::FindProgramResource(type, static_cast<WORD>(id));
  return bytes ? *bytes : none;
}

}  // namespace

TEST(ProgramResources, SetupTemplateHasItsThirteenControlsInTabOrder) {
  const auto& bytes = Resource(RT_DIALOG, kSetupDialogId);
  platform::win32::DialogTemplate t;
  ASSERT_TRUE(platform::win32::ParseDialogTemplate(bytes.data(), bytes.size(), &t));
  EXPECT_EQ(t.caption, "Engine setup......... . . . .  . ");
  EXPECT_EQ(t.cx, 214);
  EXPECT_EQ(t.cy, 129);
  EXPECT_EQ(t.typeface, "Arial");
  EXPECT_EQ(t.pointSize, 8);
  EXPECT_EQ(t.style, DWORD(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER));
  const struct {
    int id;
    WORD atom;
    const char* text;
    short x, y, cx, cy;
  } expected[] = {
      {IDOK, 0x80, "OK", 5, 103, 45, 14},
      {IDCANCEL, 0x80, "Cancel", 59, 103, 36, 14},
      {kResolutionListId, 0x85, "", 7, 18, 89, 95},
      {0xFFFF, 0x82, "Select Resolution", 21, 10, 70, 8},
      {kDeviceListId, 0x85, "", 9, 43, 89, 80},
      {0xFFFF, 0x82, "Device", 37, 34, 28, 8},
      {kTripleBufferingId, 0x80, "Triple Buffering", 17, 81, 66, 8},
      {0xFFFF, 0x80, "Choose ...", 1, 1, 102, 123},
      {0xFFFF, 0x82, "", 113, 6, 91, 74},
      {0xFFFF, 0x80, "", 113, 82, 88, 41},
      {0xFFFF, 0x82, "Kevo`s Plexora", 119, 94, 75, 8},
      {0xFFFF, 0x82, "v1.0b", 122, 103, 63, 11},
      {kWindowedId, 0x80, "Windowed", 18, 65, 65, 10},
  };
  ASSERT_EQ(t.items.size(), std::size(expected));
  for (size_t i = 0; i < t.items.size(); ++i) {
    SCOPED_TRACE(i);
    const auto& item = t.items[i];
    EXPECT_EQ(item.id, expected[i].id);
    EXPECT_EQ(item.classAtom, expected[i].atom);
    if (!item.textIsResource) {
      EXPECT_EQ(item.text, expected[i].text);
    }
    EXPECT_EQ(item.x, expected[i].x);
    EXPECT_EQ(item.y, expected[i].y);
    EXPECT_EQ(item.cx, expected[i].cx);
    EXPECT_EQ(item.cy, expected[i].cy);
  }
  EXPECT_EQ(t.items[0].style & BS_TYPEMASK, DWORD(BS_DEFPUSHBUTTON));
  EXPECT_EQ(t.items[2].style & 3, DWORD(CBS_DROPDOWNLIST));
  EXPECT_TRUE(t.items[2].style & WS_VSCROLL);
  EXPECT_EQ(t.items[6].style & BS_TYPEMASK, DWORD(BS_AUTOCHECKBOX));
  EXPECT_TRUE(t.items[8].textIsResource);
  EXPECT_EQ(t.items[8].resourceId, kSetupPictureId);
  EXPECT_EQ(t.items[10].style & SS_TYPEMASK, DWORD(SS_CENTER));
  EXPECT_TRUE(t.items[11].style & WS_BORDER);
}

TEST(ProgramResources, PictureAndIconsDecode) {
  const auto& bitmap = Resource(RT_BITMAP, kSetupPictureId);
  platform::win32::DecodedImage picture;
  ASSERT_TRUE(platform::win32::DecodeBitmapResource(bitmap.data(), bitmap.size(), &picture));
  EXPECT_EQ(picture.width, 128);
  EXPECT_EQ(picture.height, 128);
  EXPECT_EQ(ReadBitCount(bitmap), 24);

  const auto& group = Resource(RT_GROUP_ICON, kProgramIconGroupId);
  std::vector<platform::win32::IconGroupEntry> entries;
  ASSERT_TRUE(platform::win32::DecodeIconGroupResource(group.data(), group.size(), &entries));
  ASSERT_EQ(entries.size(), 3u);
  const int sizes[] = {16, 32, 48};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(entries[i].size, sizes[i]);
    const auto& image = Resource(RT_ICON, entries[i].id);
    platform::win32::DecodedImage icon;
    ASSERT_TRUE(platform::win32::DecodeIconImageResource(image.data(), image.size(), &icon));
    EXPECT_EQ(icon.width, sizes[i]);
    EXPECT_EQ(ReadBitCount(image), 32);
    // Transparent corners, an opaque middle.
    EXPECT_EQ(icon.rgba[3], 0);
    EXPECT_EQ(icon.rgba[(size_t(sizes[i] / 2) * sizes[i] + sizes[i] / 2) * 4 + 3], 255);
  }
}
