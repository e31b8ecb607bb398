#include "check_list.h"

#include <algorithm>

namespace kestrune::win32gui {

namespace {

constexpr UINT_PTR kSubclassId = 1;

int RowHeightOf(HWND list) { return static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0)); }

// A click on a row's box, or the space bar, toggles the row.
LRESULT CALLBACK CheckListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
      const int x = static_cast<short>(LOWORD(lParam));
      const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, lParam);
      const int index = static_cast<short>(LOWORD(hit));
      // The high word is 1 for a point below the last row.
      if (HIWORD(hit) == 0 && index >= 0 && x < CheckBoxWidth(RowHeightOf(list))) ToggleCheckListRow(list, index);
      return result;
    }
    case WM_CHAR:
      if (wParam == L' ') {
        const int index = static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
        if (index != LB_ERR) ToggleCheckListRow(list, index);
        return 0;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(list, CheckListProc, kSubclassId);
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

}  // namespace

HWND CreateCheckList(HWND parent, int id) {
  HWND list = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_OWNERDRAWFIXED |
                                  LBS_HASSTRINGS | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
                              0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
  SetWindowSubclass(list, CheckListProc, kSubclassId, 0);
  return list;
}

std::vector<ScanRow> CheckListRows(HWND list) {
  std::vector<ScanRow> rows;
  const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    const int length = static_cast<int>(SendMessageW(list, LB_GETTEXTLEN, i, 0));
    std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(std::max(length, 0)));
    rows.push_back({Utf8(text), SendMessageW(list, LB_GETITEMDATA, i, 0) == 1});
  }
  return rows;
}

void SetCheckListRows(HWND list, const std::vector<ScanRow>& rows) {
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const ScanRow& row : rows) {
    const std::wstring text = Wide(row.text);
    const LRESULT index = SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(list, LB_SETITEMDATA, static_cast<WPARAM>(index), row.checked ? 1 : 0);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void ToggleCheckListRow(HWND list, int index) {
  const LRESULT checked = SendMessageW(list, LB_GETITEMDATA, index, 0);
  if (checked == LB_ERR) return;
  SendMessageW(list, LB_SETITEMDATA, index, checked == 1 ? 0 : 1);
  RECT row;
  if (SendMessageW(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row)) != LB_ERR)
    InvalidateRect(list, &row, FALSE);
}

int CheckBoxWidth(int rowHeight) { return rowHeight + 2; }

void MeasureCheckListRow(MEASUREITEMSTRUCT& item, int rowHeight) { item.itemHeight = static_cast<UINT>(rowHeight); }

void DrawCheckListRow(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  const int height = r.bottom - r.top;
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));

  // The box: a square one pixel inside the row, at its left.
  RECT box = {r.left + 1, r.top + 1, r.left + height - 1, r.bottom - 1};
  UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
  if (item.itemData == 1) state |= DFCS_CHECKED;
  DrawFrameControl(dc, &box, DFC_BUTTON, state);

  const int length = static_cast<int>(SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0));
  std::wstring text(static_cast<std::size_t>(std::max(length, 0)) + 1, L'\0');
  SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(std::max(length, 0)));
  RECT textRect = r;
  textRect.left += CheckBoxWidth(height);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace kestrune::win32gui
