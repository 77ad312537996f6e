#include "setup_answer.h"

#include <cstdio>

#include "app/resource_ids.h"

void AnswerSetupDialog(const platform::host::OfflineOptions& options, HWND dialog) {
  // The adapter offers the one --size mode; choose it by its label all the same.
  char label[32];
  std::snprintf(label, sizeof label, "%ux%ux32", options.width, options.height);
  const LRESULT mode = SendDlgItemMessageA(dialog, kResolutionListId, CB_FINDSTRINGEXACT,
                                           static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(label));
  if (mode != CB_ERR) SendDlgItemMessageA(dialog, kResolutionListId, CB_SETCURSEL, mode, 0);
  const int device = options.device == "tnl" ? 1 : options.device == "ref" ? 2 : 0;
  SendDlgItemMessageA(dialog, kDeviceListId, CB_SETCURSEL, device, 0);
  CheckDlgButton(dialog, kWindowedId, options.windowed ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, kTripleBufferingId, options.tripleBuffering ? BST_CHECKED : BST_UNCHECKED);
  const int button = options.cancel ? IDCANCEL : IDOK;
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}
