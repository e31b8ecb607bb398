#include "main_form.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "check_list.h"
#include "form_layout.h"
#include "no_focus_button.h"
#include "snap_to_edges.h"

namespace kestrune::win32gui {

namespace {

using window::Info;
using window::Scaled;
using window::TCheckList;
using window::TControl;
using window::TControlKind;
using window::TEditField;
using window::TSwitch;

constexpr UINT_PTR kStillTimeSubclass = 1;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

void RegisterWindowClass() {
  static bool registered = false;
  if (registered) return;
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = DefWindowProcW;  // replaced by TMainForm's procedure at creation
  windowClass.hInstance = Instance();
  windowClass.hIcon = LoadIconW(Instance(), L"MAINICON");
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kWindowClass;
  registered = RegisterClassExW(&windowClass) != 0;
}

// Leaving the still-time field for another control of the window limits its
// text; the window losing activation does not.
LRESULT CALLBACK StillTimeEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR form) {
  if (message == WM_KILLFOCUS) {
    const LRESULT result = DefSubclassProc(edit, message, wParam, lParam);
    const HWND next = reinterpret_cast<HWND>(wParam);
    if (next != nullptr && GetAncestor(next, GA_ROOT) == GetAncestor(edit, GA_ROOT))
      reinterpret_cast<TMainForm*>(form)->ManualStillTimeEditExit();
    return result;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, StillTimeEditProc, kStillTimeSubclass);
  return DefSubclassProc(edit, message, wParam, lParam);
}

// The browse button's picture at 18 x 18 with its background, the colour of
// its lower-left pixel, as the mask: drawn transparent on the button face.
HIMAGELIST OpenPicture() {
  auto* bitmap = static_cast<HBITMAP>(LoadImageW(Instance(), L"OPENBMP", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  if (bitmap == nullptr) return nullptr;
  COLORREF background = CLR_DEFAULT;
  if (HDC dc = CreateCompatibleDC(nullptr)) {
    HGDIOBJ old = SelectObject(dc, bitmap);
    background = GetPixel(dc, 0, window::kOpenBitmapSize - 1);
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  HIMAGELIST pictures =
      ImageList_Create(window::kOpenBitmapSize, window::kOpenBitmapSize, ILC_COLOR24 | ILC_MASK, 1, 0);
  if (pictures != nullptr) ImageList_AddMasked(pictures, bitmap, background);
  DeleteObject(bitmap);
  return pictures;
}

}  // namespace

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

TMainForm::TMainForm(const std::wstring& commandLineArgument)
    : FOpenDialogRunner(RunOpenFileDialog), FMessageBoxShower(ShowErrorBox) {
  INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterWindowClass();
  // Resizable, with a system menu and a minimise button but no maximise button.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;
  FHandle = CreateWindowExW(WS_EX_CONTROLPARENT, kWindowClass, L"", style, CW_USEDEFAULT, CW_USEDEFAULT,
                            CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, Instance(), nullptr);
  SetWindowLongPtrW(FHandle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(FHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WindowProc));
  const UINT dpi = GetDpiForWindow(FHandle);
  FDpi = dpi == 0 ? window::kDesignDpi : static_cast<int>(dpi);
  CreateControls();
  CreateHints();
  FOpenPicture = OpenPicture();
  ApplyDpi(FDpi);
  FControlsMade = true;
  FormCreate(commandLineArgument);
}

TMainForm::~TMainForm() {
  if (FHandle != nullptr) {
    SetWindowLongPtrW(FHandle, GWLP_USERDATA, 0);
    DestroyWindow(FHandle);
  }
  if (FFont != nullptr) DeleteObject(FFont);
  if (FOpenPicture != nullptr) ImageList_Destroy(FOpenPicture);
}

void TMainForm::CreateControls() {
  for (const window::TControlInfo& info : window::Controls()) {
    const int id = kFirstControlId + static_cast<int>(info.id);
    const std::wstring caption = Wide(info.caption);
    auto* menu = reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
    HWND control = nullptr;
    switch (info.kind) {
      case TControlKind::kEdit:
        control = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", caption.c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL, 0, 0, 0, 0, FHandle,
                                  menu, Instance(), nullptr);
        break;
      case TControlKind::kButton:
        control = CreateNoFocusButton(FHandle, id, caption);
        break;
      case TControlKind::kLabel:
        // One line, never wrapped; SS_NOTIFY lets the hint see the mouse.
        control = CreateWindowExW(0, L"STATIC", caption.c_str(),
                                  WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_NOPREFIX | SS_NOTIFY, 0, 0, 0, 0,
                                  FHandle, menu, Instance(), nullptr);
        break;
      case TControlKind::kCheckList:
        control = CreateCheckList(FHandle, id);
        break;
      case TControlKind::kCheckBox:
        control = CreateWindowExW(0, L"BUTTON", caption.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                                  0, 0, 0, 0, FHandle, menu, Instance(), nullptr);
        SendMessageW(control, BM_SETCHECK, info.checked ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    }
    FControls[static_cast<std::size_t>(info.id)] = control;
  }
  // Tab moves through the controls in the order of their z-order: the
  // focusable ones go to the bottom one after the other in tab order.
  for (TControl id : window::TabOrder())
    SetWindowPos(Control(id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowSubclass(Control(TControl::ManualStillTimeEdit), StillTimeEditProc, kStillTimeSubclass,
                    reinterpret_cast<DWORD_PTR>(this));
}

void TMainForm::CreateHints() {
  FHints = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, FHandle, nullptr, Instance(),
                           nullptr);
  SendMessageW(FHints, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(window::kHintPause, 0));
  for (const window::TControlInfo& info : window::Controls())
    if (info.hint[0] != '\0') SetHint(Control(info.id), info.hint);
}

void TMainForm::SetHint(HWND control, const std::string& hint) {
  std::wstring text = Wide(hint);
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = FHandle;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text.data();
  TTTOOLINFOW existing = tool;
  existing.lpszText = nullptr;
  if (SendMessageW(FHints, TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&existing)))
    SendMessageW(FHints, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  else
    SendMessageW(FHints, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TMainForm::FormCreate(const std::wstring& commandLineArgument) {
  // The application title "Kestrune" is the version record's description
  // and product name, which Windows lists the program by; the task bar shows
  // the caption of its one window.
  SendMessageW(FHints, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(window::kHintDisplayTime, 0));
  SetWindowTextW(FHandle, Wide(window::kCaption).c_str());
  RECT frame = {0, 0, Scaled(window::kClientWidth, FDpi), Scaled(window::kClientHeight, FDpi)};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(FHandle, GWL_EXSTYLE)), static_cast<UINT>(FDpi));
  SetWindowPos(FHandle, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  HWND openButton = Control(TControl::OpenDirBtn);
  SetWindowTextW(openButton, L"");
  BUTTON_IMAGELIST picture = {FOpenPicture, {0, 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_CENTER};
  SendMessageW(openButton, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&picture));

  FLogic.FormCreate(Utf8(commandLineArgument));
  SetFocus(Control(TControl::DirEdit));
}

void TMainForm::ApplyDpi(int dpi) {
  FDpi = dpi;
  HFONT old = FFont;
  FFont = CreateFontW(-window::FontPixelHeight(dpi), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                      DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                      DEFAULT_PITCH | FF_SWISS, Wide(window::kFontFace).c_str());
  for (HWND control : FControls) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), TRUE);
  SendMessageW(FHints, WM_SETFONT, reinterpret_cast<WPARAM>(FFont), TRUE);
  // Hints with line breaks keep them; a long line wraps at this width.
  SendMessageW(FHints, TTM_SETMAXTIPWIDTH, 0, Scaled(400, dpi));
  for (TControl list : {TControl::VMGBox, TControl::VTSBox, TControl::VTSMenuBox})
    SendMessageW(Control(list), LB_SETITEMHEIGHT, 0, Scaled(window::kCheckListRowHeight, dpi));
  if (old != nullptr) DeleteObject(old);
  FormResize();
}

int TMainForm::TextWidth(const std::wstring& text) const {
  HDC dc = GetDC(FHandle);
  HGDIOBJ old = SelectObject(dc, FFont);
  SIZE extent = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
  SelectObject(dc, old);
  ReleaseDC(FHandle, dc);
  return extent.cx;
}

window::TLayout TMainForm::Layout() const {
  RECT client;
  GetClientRect(FHandle, &client);
  window::TLayout layout = window::FormLayout(client.right, client.bottom, FDpi);
  // Arial's own metrics set "TitleSet Menus:" 75 pixels wide at 96 dots per
  // inch, 2 more than its label has; the label grows by them.
  window::FitLabelsToTexts(layout, [this](TControl label) { return TextWidth(WindowText(Control(label))); });
  return layout;
}

void TMainForm::FormResize() {
  const window::TLayout layout = Layout();
  HDWP moves = BeginDeferWindowPos(static_cast<int>(layout.size()));
  for (std::size_t i = 0; i < layout.size(); ++i) {
    const window::TRect& r = layout[i];
    if (moves != nullptr)
      moves = DeferWindowPos(moves, FControls[i], nullptr, r.left, r.top, r.width, r.height,
                             SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (moves != nullptr) EndDeferWindowPos(moves);
}

void TMainForm::Show(int showCommand) {
  if (!FCentred) {
    // Centred on the work area of the screen the window is on.
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(FHandle, MONITOR_DEFAULTTOPRIMARY), &monitor);
    RECT frame;
    GetWindowRect(FHandle, &frame);
    const RECT& area = monitor.rcWork;
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    SetWindowPos(FHandle, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    FCentred = true;
  }
  ShowWindow(FHandle, showCommand);
  UpdateWindow(FHandle);
}

bool TMainForm::PreTranslate(MSG& message) { return IsDialogMessageW(FHandle, &message) != 0; }

LRESULT CALLBACK TMainForm::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* form = reinterpret_cast<TMainForm*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  return form->OnMessage(message, wParam, lParam);
}

LRESULT TMainForm::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = FHandle;
  switch (message) {
    case WM_COMMAND:
      if (lParam != 0) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_SIZE:
      if (wParam != SIZE_MINIMIZED) FormResize();
      return 0;
    case WM_MEASUREITEM:
      MeasureCheckListRow(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam), Scaled(window::kCheckListRowHeight, FDpi));
      return TRUE;
    case WM_DRAWITEM:
      DrawCheckListRow(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CTLCOLORSTATIC:
      // Labels and check boxes on the button face, in the window text colour.
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_WINDOWTEXT));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_WINDOWPOSCHANGING: {
      // A window moved (not resized) to within 8 pixels of an edge of its
      // screen's work area is pulled flush against it.
      auto& pos = *reinterpret_cast<WINDOWPOS*>(lParam);
      RECT frame;
      GetWindowRect(FHandle, &frame);
      const int width = frame.right - frame.left;
      const int height = frame.bottom - frame.top;
      const bool moveOnly = (pos.flags & SWP_NOSIZE) != 0 || (pos.cx == width && pos.cy == height);
      if (FCentred && (pos.flags & SWP_NOMOVE) == 0 && moveOnly && IsWindowVisible(FHandle) && !IsIconic(FHandle)) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(FHandle, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT& work = monitor.rcWork;
        const window::TPoint snapped = window::SnapToEdges(
            {pos.x, pos.y, width, height}, {work.left, work.top, work.right - work.left, work.bottom - work.top});
        pos.x = snapped.x;
        pos.y = snapped.y;
      }
      break;
    }
    case WM_DPICHANGED: {
      ApplyDpi(LOWORD(wParam));
      const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(FHandle, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      // Closing the window ends the program.
      DestroyWindow(FHandle);
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      FHandle = nullptr;
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void TMainForm::OnCommand(int id, int code) {
  if (!FControlsMade || id < kFirstControlId || id >= kFirstControlId + static_cast<int>(window::kControlCount))
    return;
  const auto control = static_cast<TControl>(id - kFirstControlId);
  if (code == EN_CHANGE) {
    if (control == TControl::DirEdit) DirEditChange();
    if (control == TControl::ReplaceVOBEdit) ReplaceVOBEditChange();
  } else if (code == BN_CLICKED) {
    switch (control) {
      case TControl::OpenDirBtn: OpenDirBtnClick(); break;
      case TControl::GoBtn: GoBtnClick(); break;
      case TControl::OrigBtn: OrigBtnClick(); break;
      case TControl::DelBtn: DelBtnClick(); break;
      default: break;
    }
  }
}

HWND FieldControl(const std::array<HWND, window::kControlCount>& controls, TEditField field) {
  switch (field) {
    case TEditField::DirEdit: return controls[static_cast<std::size_t>(TControl::DirEdit)];
    case TEditField::ReplaceVOBEdit: return controls[static_cast<std::size_t>(TControl::ReplaceVOBEdit)];
    case TEditField::ManualStillTimeEdit: return controls[static_cast<std::size_t>(TControl::ManualStillTimeEdit)];
  }
  return nullptr;
}

std::string TMainForm::Text(TEditField field) const { return Utf8(WindowText(FieldControl(FControls, field))); }

void TMainForm::SetText(TEditField field, const std::string& text) {
  // An edit field reports every WM_SETTEXT as a change; the same text is no change.
  HWND edit = FieldControl(FControls, field);
  const std::wstring wide = Wide(text);
  if (WindowText(edit) != wide) SetWindowTextW(edit, wide.c_str());
}

bool TMainForm::Checked(TSwitch box) const {
  static constexpr TControl kBoxes[] = {TControl::BackupBox,     TControl::RemoveAudioSubMapBox,
                                        TControl::RemStopsBox,   TControl::MergeProgsBox,
                                        TControl::MergeCellsBox, TControl::ReplaceVOBBox,
                                        TControl::ManualStillTimeBox};
  return SendMessageW(Control(kBoxes[static_cast<std::size_t>(box)]), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

namespace {
TControl ListControl(TCheckList list) {
  switch (list) {
    case TCheckList::VMGBox: return TControl::VMGBox;
    case TCheckList::VTSBox: return TControl::VTSBox;
    case TCheckList::VTSMenuBox: return TControl::VTSMenuBox;
  }
  return TControl::VMGBox;
}
}  // namespace

std::vector<ScanRow> TMainForm::Rows(TCheckList list) const { return CheckListRows(Control(ListControl(list))); }

void TMainForm::SetRows(TCheckList list, const std::vector<ScanRow>& rows) {
  SetCheckListRows(Control(ListControl(list)), rows);
}

void TMainForm::SetIndicator(const std::string& caption, const std::string& hint) {
  SetWindowTextW(Control(TControl::Label6), Wide(caption).c_str());
  SetHint(Control(TControl::Label6), hint);
  FormResize();  // its width follows its text
}

bool RunOpenFileDialog(HWND owner, TOpenDialog& dialog) {
  std::wstring filter;
  for (const window::TFilter& choice : window::kOpenDialogFilter) {
    filter += Wide(choice.description);
    filter += L'\0';
    filter += Wide(choice.pattern);
    filter += L'\0';
  }
  // The dialog opens in its initial folder with the last chosen file's name
  // preselected; without an initial folder, in the last chosen file's folder.
  std::wstring start = Wide(dialog.FileName);
  const std::wstring initialDir = Wide(dialog.InitialDir);
  if (!initialDir.empty()) start = start.substr(start.find_last_of(L"\\/:") + 1);
  std::vector<wchar_t> file(32768, L'\0');
  std::copy_n(start.begin(), std::min(start.size(), file.size() - 1), file.begin());
  OPENFILENAMEW open = {};
  open.lStructSize = sizeof open;
  open.hwndOwner = owner;
  open.lpstrFilter = filter.c_str();
  open.nFilterIndex = 1;
  open.lpstrFile = file.data();
  open.nMaxFile = static_cast<DWORD>(file.size());
  open.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
  open.Flags = OFN_EXPLORER | OFN_ENABLESIZING;
  if (!GetOpenFileNameW(&open)) return false;
  dialog.FileName = Utf8(file.data());
  return true;
}

void ShowErrorBox(const std::string& caption, const std::string& text) {
  MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace kestrune::win32gui
