// A push button that never takes the keyboard focus and is not in the tab
// order: pressing it leaves the focus (and an unfinished entry in a field)
// where it was. It reports a click to its parent as WM_COMMAND BN_CLICKED,
// as every button does.
#pragma once

#include "win32_window.h"

namespace kestrune::win32gui {

HWND CreateNoFocusButton(HWND parent, int id, const std::wstring& caption);

}  // namespace kestrune::win32gui
