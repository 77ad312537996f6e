// The error box: minimises the main window, shows the cursor and reports text under the caption
// "Error!!!". It returns once the box is dismissed and stops nothing; the caller goes on.
#pragma once

void ShowError(const char* text);
