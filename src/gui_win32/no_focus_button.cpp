#include "no_focus_button.h"

namespace kestrune::win32gui {

namespace {

constexpr UINT_PTR kSubclassId = 1;

bool Inside(HWND button, LPARAM point) {
  RECT client;
  GetClientRect(button, &client);
  const POINT p = {static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
  return PtInRect(&client, p) != 0;
}

// The button's own mouse handling without its SetFocus: pressed while the
// mouse button is down over it, a click when it is let go over it.
LRESULT CALLBACK NoFocusButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      SetCapture(button);
      SendMessageW(button, BM_SETSTATE, TRUE, 0);
      return 0;
    case WM_MOUSEMOVE:
      if (GetCapture() == button) SendMessageW(button, BM_SETSTATE, Inside(button, lParam) ? TRUE : FALSE, 0);
      return 0;
    case WM_LBUTTONUP:
      if (GetCapture() != button) return 0;
      ReleaseCapture();
      SendMessageW(button, BM_SETSTATE, FALSE, 0);
      if (Inside(button, lParam))
        SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                     reinterpret_cast<LPARAM>(button));
      return 0;
    case WM_CAPTURECHANGED:
      SendMessageW(button, BM_SETSTATE, FALSE, 0);
      break;
    case WM_SETFOCUS:
      // Focus given by the program (never by the user) goes back.
      if (wParam != 0) SetFocus(reinterpret_cast<HWND>(wParam));
      return 0;
    case WM_NCDESTROY:
      RemoveWindowSubclass(button, NoFocusButtonProc, kSubclassId);
      break;
  }
  return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace

HWND CreateNoFocusButton(HWND parent, int id, const std::wstring& caption) {
  HWND button = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0, 0, 0, 0,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                nullptr);
  SetWindowSubclass(button, NoFocusButtonProc, kSubclassId, 0);
  return button;
}

}  // namespace kestrune::win32gui
