// What the Win32 window's parts share: the Windows headers as they are
// included here, and text between the window logic (UTF-8) and the
// wide-character calls.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "win32_support.h"

namespace kestrune::win32gui {

// UTF-8 text as wide characters; text that is no valid UTF-8 becomes empty.
inline std::wstring Wide(const std::string& utf8) { return win32::WidePath(utf8).value_or(std::wstring()); }
inline std::string Utf8(const std::wstring& wide) { return win32::Utf8(wide.c_str()); }

// The text of a window (a control's caption or an edit field's text).
std::wstring WindowText(HWND window);

}  // namespace kestrune::win32gui
