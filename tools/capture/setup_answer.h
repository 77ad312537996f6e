// The setup dialog's answer from the capture options: control changes, then OK or Cancel, so the
// dialog's own procedure turns them into the display settings.
#pragma once

#include <windows.h>

#include "platform/host/host.h"

void AnswerSetupDialog(const platform::host::OfflineOptions& options, HWND dialog);
