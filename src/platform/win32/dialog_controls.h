// The dialog controls' behaviour: their window procedure, and what a user's click, key or
// choice does to them (with the notifications their dialog receives).
#pragma once

#include "dialog_state.h"

namespace platform::win32 {

// Registers the control classes ("Button", "Static", "ComboBox") once.
void RegisterControlClasses();

ControlState& AddControlState(HWND control);
void ForgetControlState(HWND control);

// A click on a button: an auto check box toggles; the dialog gets BN_CLICKED.
void ClickControl(ControlState& control);
// The user picks an item: the selection moves and the dialog gets CBN_SELCHANGE when it changed.
void ChooseItem(ControlState& combo, int index);
void OpenList(DialogState& dialog, ControlState& combo);
void CloseList(ControlState& combo);
// Keeps the open list's highlighted item in view.
void ScrollToHot(const DialogState& dialog, ControlState& combo);

}  // namespace platform::win32
