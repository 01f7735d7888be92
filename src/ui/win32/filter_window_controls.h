#pragma once

// What the two filter windows share: their controls made from the portable
// control tables, and the texts of controls.

#include <windows.h>

#include <string>

#include "filters/filter_window_layout.h"

namespace quorel::win32 {

// A control of `kind` at its 96-DPI place, scaled to `dpi`, with `font`.
// Drop-down lists and combo boxes get room below their field for the list
// they drop down; the field itself is as high as the font needs.
HWND CreateWindowControl(HWND parent, const WindowControl& control, UINT dpi, HFONT font);

std::wstring WindowText(HWND hwnd);
// The text of item `index` of a combo box.
std::wstring ComboItemText(HWND combo, int index);
// Selects the item whose text is exactly `text` (case-sensitive: account
// names differing only in case are different accounts); -1 when there is
// none.
int SelectComboText(HWND combo, const std::wstring& text);

// The background of both windows, RGB(240, 240, 240), kept for the run.
HBRUSH FilterWindowBackground();

}  // namespace quorel::win32
