// A check list: a list box whose rows each carry a two-state check box,
// drawn by its owner. A new row starts unchecked; a click on a row's box or
// the space bar on the selected row toggles it. The check state of a row is
// its item data (1 checked, 0 not).
#pragma once

#include <string>
#include <vector>

#include "folder_scan.h"
#include "win32_window.h"

namespace kestrune::win32gui {

// Creates the list box (owner-drawn rows of a fixed height, tab stop, no
// integral height, so it takes exactly the height it is given).
HWND CreateCheckList(HWND parent, int id);

std::vector<ScanRow> CheckListRows(HWND list);
void SetCheckListRows(HWND list, const std::vector<ScanRow>& rows);
// Toggles row `index`, as a click on its box does.
void ToggleCheckListRow(HWND list, int index);
// The width of a row's box, from the row's left edge, for a row `rowHeight` high.
int CheckBoxWidth(int rowHeight);

// The parent's part: WM_MEASUREITEM gives rows `rowHeight` high, WM_DRAWITEM
// draws a row with its box.
void MeasureCheckListRow(MEASUREITEMSTRUCT& item, int rowHeight);
void DrawCheckListRow(const DRAWITEMSTRUCT& item);

}  // namespace kestrune::win32gui
