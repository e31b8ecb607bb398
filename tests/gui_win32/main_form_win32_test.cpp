// TMainForm on Windows, in-process under Wine's null graphics driver (or on
// Windows): the window, its controls and their geometry at start-up, after
// resizing and at 144 dots per inch with every text measured against its
// control; the command line; "Blank!" on copies of authored discs, file for
// file the same as the Linux build's kestrune-cli with the same choices;
// refused runs and bad input; the backup commands; the real message box.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "check_list.h"
#include "fixtures.h"
#include "form_layout.h"
#include "locked_file.h"
#include "main_form.h"
#include "temp_folder.h"
#include "window_controls.h"

namespace kestrune::win32gui {
namespace {

namespace fs = std::filesystem;
using window::Info;
using window::Scaled;
using window::TControl;
using window::TControlKind;
using window::TRect;

// A control's place in its window's client area.
TRect PlaceOf(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

TRect ClientOf(HWND window) {
  RECT r;
  GetClientRect(window, &r);
  return {0, 0, r.right, r.bottom};
}

std::string TextOf(HWND control) { return Utf8(WindowText(control)); }

void SetTextOf(HWND control, const std::string& text) { SetWindowTextW(control, Wide(text).c_str()); }

// The rows of a check list, each as "[x] text" or "[ ] text".
std::vector<std::string> RowsOf(HWND list) {
  std::vector<std::string> rows;
  for (const ScanRow& row : CheckListRows(list)) rows.push_back((row.checked ? "[x] " : "[ ] ") + row.text);
  return rows;
}

// Clicks the box of the row starting with `prefix`, as a user does.
void ClickRow(HWND list, const std::string& prefix) {
  const std::vector<ScanRow> rows = CheckListRows(list);
  const int height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  const int top = static_cast<int>(SendMessageW(list, LB_GETTOPINDEX, 0, 0));
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].text.rfind(prefix, 0) != 0) continue;
    const LPARAM point = MAKELPARAM(3, (static_cast<int>(i) - top) * height + height / 2);
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, point);
    SendMessageW(list, WM_LBUTTONUP, 0, point);
    return;
  }
  ADD_FAILURE() << "no row " << prefix;
}

void SetChecked(HWND box, bool checked) {
  if ((SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED) != checked) SendMessageW(box, BM_CLICK, 0, 0);
}

// The hint of a control, empty when it has none.
std::string HintOf(const TMainForm& form, HWND control) {
  wchar_t text[512] = {};
  TTTOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.hwnd = form.Handle();
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  if (!SendMessageW(form.HintWindow(), TTM_GETTOOLINFOW, 0, reinterpret_cast<LPARAM>(&tool))) return {};
  SendMessageW(form.HintWindow(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
  return Utf8(text);
}

// A window on `argument` whose message boxes land in `messages`.
std::unique_ptr<TMainForm> MakeForm(const std::string& argument, std::vector<std::string>& messages) {
  auto form = std::make_unique<TMainForm>(Wide(argument));
  form->SetMessageBoxShower(
      [&messages](const std::string& caption, const std::string& text) { messages.push_back(caption + ": " + text); });
  return form;
}

// The folder with every file's bytes, for comparisons before and after.
using Files = std::map<std::string, std::vector<std::uint8_t>>;

// A copy of the authored disc `name` in `folder` (made); false when the
// discs have not been authored.
bool CopyDisc(const std::string& name, const std::string& folder) {
  const fs::path disc = dvdcheck::FixtureVideoTs(name);
  if (disc.empty() || !fs::is_directory(disc)) return false;
  test::CopyFolder(test::Utf8(disc), folder);
  return true;
}

class Win32Form : public ::testing::Test {
 protected:
  std::vector<std::string> messages_;
};

TEST_F(Win32Form, WindowAtStartUp) {
  TMainForm form;
  form.Show();
  HWND window = form.Handle();
  EXPECT_EQ(TextOf(window), "Kestrune v0.9.5 by Ombrel");
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  EXPECT_EQ(std::wstring(className), L"TMainForm");
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_THICKFRAME);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & (WS_HSCROLL | WS_VSCROLL));
  EXPECT_EQ(form.Dpi(), 96);
  EXPECT_EQ(ClientOf(window), (TRect{0, 0, 369, 394}));
  EXPECT_EQ(GetFocus(), form.Control(TControl::DirEdit));
  EXPECT_EQ(form.RunObject(), nullptr);
  EXPECT_EQ(GetClassLongPtrW(window, GCLP_HBRBACKGROUND), static_cast<ULONG_PTR>(COLOR_BTNFACE + 1));

  // Arial, 11 pixels high, on every control.
  LOGFONTW font = {};
  ASSERT_TRUE(GetObjectW(form.Font(), sizeof font, &font));
  EXPECT_EQ(std::wstring(font.lfFaceName), L"Arial");
  EXPECT_EQ(font.lfHeight, -11);
  for (const window::TControlInfo& info : window::Controls()) {
    HWND control = form.Control(info.id);
    ASSERT_NE(control, nullptr) << info.name;
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), form.Font()) << info.name;
    EXPECT_TRUE(IsWindowVisible(control) && IsWindowEnabled(control)) << info.name;
    if ((info.kind == TControlKind::kLabel && info.id != TControl::Label6) || info.kind == TControlKind::kCheckBox ||
        (info.kind == TControlKind::kButton && info.id != TControl::OpenDirBtn)) {
      EXPECT_EQ(TextOf(control), info.caption) << info.name;
    }
    if (info.kind == TControlKind::kCheckBox) {
      EXPECT_EQ(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED, info.checked) << info.name;
    }
    if (info.kind == TControlKind::kCheckList) {
      EXPECT_EQ(SendMessageW(control, LB_GETITEMHEIGHT, 0, 0), 14) << info.name;
      EXPECT_EQ(SendMessageW(control, LB_GETCOUNT, 0, 0), 0) << info.name;
    }
    // Hints, each shown for 30 s; the replacement indicator's comes from its check.
    const std::string hint = info.id == TControl::Label6 ? "File not found!" : info.hint;
    EXPECT_EQ(HintOf(form, control), hint) << info.name;
  }
  EXPECT_EQ(TextOf(form.Control(TControl::DirEdit)), "C:\\DVD\\VIDEO_TS");
  EXPECT_EQ(TextOf(form.Control(TControl::ReplaceVOBEdit)), "C:\\REPLACE.VOB");
  EXPECT_EQ(TextOf(form.Control(TControl::ManualStillTimeEdit)), "3");
  EXPECT_EQ(TextOf(form.Control(TControl::Label6)), "NA");
  EXPECT_EQ(TextOf(form.Control(TControl::OpenDirBtn)), "");
  EXPECT_EQ(SendMessageW(form.HintWindow(), TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 30000);
  EXPECT_EQ(SendMessageW(form.HintWindow(), TTM_GETDELAYTIME, TTDT_INITIAL, 0), 500);

  // Tab order among the controls that take the focus; the buttons take none.
  std::vector<std::string> order;
  HWND control = form.Control(TControl::BackupBox);
  for (int i = 0; i < 14; ++i) {
    for (const window::TControlInfo& info : window::Controls())
      if (form.Control(info.id) == control) order.push_back(info.name);
    control = GetNextDlgTabItem(window, control, FALSE);
  }
  EXPECT_EQ(order, (std::vector<std::string>{"BackupBox", "DirEdit", "VTSBox", "VTSMenuBox", "MergeProgsBox",
                                             "MergeCellsBox", "VMGBox", "RemStopsBox", "ReplaceVOBEdit",
                                             "ReplaceVOBBox", "ManualStillTimeEdit", "ManualStillTimeBox",
                                             "RemoveAudioSubMapBox", "BackupBox"}));
  for (TControl id : {TControl::OpenDirBtn, TControl::OrigBtn, TControl::GoBtn, TControl::DelBtn})
    EXPECT_FALSE(GetWindowLongPtrW(form.Control(id), GWL_STYLE) & WS_TABSTOP) << Info(id).name;

  // Centred on the work area when first shown; moved near an edge, pulled onto it.
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
  RECT frame;
  GetWindowRect(window, &frame);
  const RECT& work = monitor.rcWork;
  EXPECT_LE(std::abs((frame.left + frame.right) - (work.left + work.right)), 2);
  EXPECT_LE(std::abs((frame.top + frame.bottom) - (work.top + work.bottom)), 2);
  SetWindowPos(window, nullptr, work.left + 6, work.top + 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, work.left);
  EXPECT_EQ(frame.top, work.top + 50);
  SetWindowPos(window, nullptr, work.left + 9, work.top + 50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  GetWindowRect(window, &frame);
  EXPECT_EQ(frame.left, work.left + 9);
}

// The browse button's picture: 18 x 18, its grey background transparent on
// the button face, the folder's black outline opaque.
TEST_F(Win32Form, BrowseButtonPicture) {
  TMainForm form;
  BUTTON_IMAGELIST picture = {};
  ASSERT_TRUE(SendMessageW(form.Control(TControl::OpenDirBtn), BCM_GETIMAGELIST, 0, reinterpret_cast<LPARAM>(&picture)));
  ASSERT_NE(picture.himl, nullptr);
  int width = 0, height = 0;
  ImageList_GetIconSize(picture.himl, &width, &height);
  EXPECT_EQ(width, 18);
  EXPECT_EQ(height, 18);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP canvas = CreateCompatibleBitmap(screen, 18, 18);
  HGDIOBJ old = SelectObject(dc, canvas);
  RECT all = {0, 0, 18, 18};
  HBRUSH face = CreateSolidBrush(RGB(1, 2, 3));
  FillRect(dc, &all, face);
  ImageList_Draw(picture.himl, 0, dc, 0, 0, ILD_TRANSPARENT);
  EXPECT_EQ(GetPixel(dc, 0, 17), RGB(1, 2, 3));
  EXPECT_EQ(GetPixel(dc, 0, 8), RGB(0, 0, 0));
  SelectObject(dc, old);
  DeleteObject(face);
  DeleteObject(canvas);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);

  // The resource itself: a bitmap of 16 colours.
  auto* bitmap = static_cast<HBITMAP>(
      LoadImageW(GetModuleHandleW(nullptr), L"OPENBMP", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(bitmap, nullptr);
  DIBSECTION dib = {};
  ASSERT_TRUE(GetObjectW(bitmap, sizeof dib, &dib));
  EXPECT_EQ(dib.dsBmih.biWidth, 18);
  EXPECT_EQ(std::abs(dib.dsBmih.biHeight), 18);
  EXPECT_EQ(dib.dsBmih.biBitCount, 4);
  DeleteObject(bitmap);
}

// kestrune.exe carries the version record, the icon and the manifest.
TEST_F(Win32Form, ProgramResources) {
  const std::wstring exe = Wide(KESTRUNE_EXE);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u) << KESTRUNE_EXE;
  std::vector<std::uint8_t> record(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, record.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  // 0.9.5.0: the high words first.
  EXPECT_EQ(fixed->dwFileVersionMS, DWORD{0x00000009});
  EXPECT_EQ(fixed->dwFileVersionLS, DWORD{0x00050000});
  EXPECT_EQ(fixed->dwProductVersionMS, DWORD{0x00000009});
  EXPECT_EQ(fixed->dwProductVersionLS, DWORD{0x00050000});
  auto value = [&](const wchar_t* name) {
    wchar_t* text = nullptr;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    if (!VerQueryValueW(record.data(), path.c_str(), reinterpret_cast<void**>(&text), &length)) return std::string();
    return Utf8(text);
  };
  EXPECT_EQ(value(L"ProductName"), "Kestrune");
  EXPECT_EQ(value(L"Comments"), "by Ombrel");
  EXPECT_EQ(value(L"FileVersion"), "0.9.5.0");
  EXPECT_EQ(value(L"ProductVersion"), "0.9.5.0");

  HMODULE program = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(program, nullptr);
  EXPECT_NE(FindResourceW(program, L"MAINICON", RT_GROUP_ICON), nullptr);
  EXPECT_NE(FindResourceW(program, L"OPENBMP", RT_BITMAP), nullptr);
  HRSRC manifest = FindResourceW(program, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(program, manifest))),
                         SizeofResource(program, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("PerMonitorV2"), std::string::npos);
  FreeLibrary(program);
}

// The places of every control for the window's client size and dots per
// inch: FormLayout's, but a label whose text (in the window's font) is
// wider than its place is as wide as its text.
void ExpectPlaces(const TMainForm& form) {
  const TRect client = ClientOf(form.Handle());
  const window::TLayout rules = window::FormLayout(client.width, client.height, form.Dpi());
  for (const window::TControlInfo& info : window::Controls()) {
    TRect expected = window::Place(rules, info.id);
    if (info.kind == TControlKind::kLabel)
      expected.width = std::max(expected.width, form.TextWidth(WindowText(form.Control(info.id))));
    EXPECT_EQ(PlaceOf(form.Control(info.id)), expected) << info.name << " at " << form.Dpi();
  }
}

struct Resize {
  int width, height;
};

std::ostream& operator<<(std::ostream& os, const Resize& size) { return os << size.width << "x" << size.height; }

class Win32FormLayout : public ::testing::TestWithParam<Resize> {};

// Every control where FormResize's rules put it, after the window's client
// area is made this size; the rules themselves: tests/window.
TEST_P(Win32FormLayout, ControlsFollowTheRules) {
  const auto [width, height] = GetParam();
  TMainForm form;
  form.Show();
  RECT frame = {0, 0, width, height};
  AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE)), 96);
  SetWindowPos(form.Handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
               SWP_NOMOVE | SWP_NOZORDER);
  ASSERT_EQ(ClientOf(form.Handle()), (TRect{0, 0, width, height}));
  ExpectPlaces(form);
  EXPECT_EQ(PlaceOf(form.Control(TControl::GoBtn)).top, height - 26);
  // Only "TitleSet Menus:" is wider than its place, by 2 pixels at most.
  for (TControl label : {TControl::Label2, TControl::Label3, TControl::Label4, TControl::Label6})
    EXPECT_EQ(PlaceOf(form.Control(label)).width, Info(label).startUp.width) << Info(label).name;
  EXPECT_LE(PlaceOf(form.Control(TControl::Label1)).width, 75);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Win32FormLayout,
                         ::testing::Values(Resize{369, 394}, Resize{520, 394}, Resize{369, 530}, Resize{450, 480},
                                           Resize{369, 150}));

// Every caption shows whole in its control: a label's text, a check box's
// box and text, a button's text within its edges; at 96 dots per inch and,
// after the window is told its screen has 144 (as Windows does when it is
// moved there), with the font and every place scaled.
TEST_F(Win32Form, EveryTextFitsAt96And144Dpi) {
  TMainForm form;
  form.Show();
  for (int dpi : {96, 144}) {
    if (dpi != form.Dpi()) {
      // The window's new size as Windows suggests it: the client area scaled,
      // in the frame the window has.
      RECT frame;
      GetWindowRect(form.Handle(), &frame);
      RECT suggested = {0, 0, Scaled(369, dpi), Scaled(394, dpi)};
      AdjustWindowRectExForDpi(&suggested, static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_STYLE)), FALSE,
                               static_cast<DWORD>(GetWindowLongPtrW(form.Handle(), GWL_EXSTYLE)),
                               GetDpiForWindow(form.Handle()));
      OffsetRect(&suggested, frame.left - suggested.left, frame.top - suggested.top);
      SendMessageW(form.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    }
    ASSERT_EQ(form.Dpi(), dpi);
    const TRect client = ClientOf(form.Handle());
    EXPECT_EQ(client, window::StartUpClient(dpi));
    LOGFONTW font = {};
    ASSERT_TRUE(GetObjectW(form.Font(), sizeof font, &font));
    EXPECT_EQ(font.lfHeight, dpi == 96 ? -11 : -16);  // 8 points
    ExpectPlaces(form);
    for (const window::TControlInfo& info : window::Controls()) {
      HWND control = form.Control(info.id);
      if (info.kind == TControlKind::kCheckList) {
        EXPECT_EQ(SendMessageW(control, LB_GETITEMHEIGHT, 0, 0), Scaled(14, dpi)) << info.name;
      }
      const std::wstring text = info.id == TControl::Label6 ? L"ok" : WindowText(control);
      if (text.empty() || info.kind == TControlKind::kEdit || info.kind == TControlKind::kCheckList) continue;
      HDC dc = GetDC(control);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
      SIZE extent = {};
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
      wchar_t face[LF_FACESIZE] = {};
      GetTextFaceW(dc, LF_FACESIZE, face);
      SelectObject(dc, old);
      ReleaseDC(control, dc);
      int needed = extent.cx;
      if (info.kind == TControlKind::kCheckBox) needed += Scaled(13, dpi) + Scaled(4, dpi);  // the box and the gap
      if (info.kind == TControlKind::kButton) needed += 2 * Scaled(3, dpi);                  // the edges
      const TRect place = PlaceOf(control);
      EXPECT_LE(needed, place.width) << info.name << " at " << dpi << " dpi in " << Utf8(face) << ": \""
                                     << Utf8(text) << "\"";
      EXPECT_LE(extent.cy, place.height) << info.name << " at " << dpi;
    }
  }
}

// A synthetic folder: the scan reads only sizes.
class Win32FormOnFolder : public Win32Form {
 protected:
  void SetUp() override {
    for (const auto& [name, size] : std::map<std::string, std::size_t>{{"VIDEO_TS.IFO", 2048},
                                                                        {"VIDEO_TS.VOB", 5120},
                                                                        {"VTS_01_0.IFO", 2048},
                                                                        {"VTS_01_0.VOB", 2048},
                                                                        {"VTS_01_1.VOB", 1024},
                                                                        {"VTS_03_0.IFO", 2048},
                                                                        {"VTS_03_0.VOB", 3072},
                                                                        {"VTS_03_1.VOB", 4096},
                                                                        {"VTS_03_2.VOB", 4096}})
      test::WriteBytes(disc_ / name, std::vector<std::uint8_t>(size, 0));
  }
  test::TempFolder disc_;
};

// The argument naming title set 3's IFO: its folder is shown with its
// delimiter and scanned, and the two rows of title set 3 come up checked.
TEST_F(Win32FormOnFolder, ArgumentNamingTheIfoOfTitleSet3) {
  auto form = MakeForm(disc_ / "VTS_03_0.IFO", messages_);
  EXPECT_EQ(TextOf(form->Control(TControl::DirEdit)), disc_.Dir());
  EXPECT_EQ(form->OpenDlg.FileName, disc_ / "VTS_03_0.IFO");
  EXPECT_EQ(form->OpenDlg.InitialDir, disc_.Dir());
  EXPECT_EQ(RowsOf(form->Control(TControl::VMGBox)), (std::vector<std::string>{"[ ] VIDEO_TS.VOB  5KB"}));
  EXPECT_EQ(RowsOf(form->Control(TControl::VTSBox)),
            (std::vector<std::string>{"[ ] VTS_01_*.VOB  1KB", "[x] VTS_03_*.VOB  8KB"}));
  EXPECT_EQ(RowsOf(form->Control(TControl::VTSMenuBox)),
            (std::vector<std::string>{"[ ] VTS_01_0.VOB  2KB", "[x] VTS_03_0.VOB  3KB"}));
  EXPECT_TRUE(messages_.empty());

  // A click on a row's box toggles it, and so does the space bar.
  HWND videos = form->Control(TControl::VTSBox);
  ClickRow(videos, "VTS_01_");
  EXPECT_EQ(RowsOf(videos), (std::vector<std::string>{"[x] VTS_01_*.VOB  1KB", "[x] VTS_03_*.VOB  8KB"}));
  SendMessageW(videos, LB_SETCURSEL, 1, 0);
  SendMessageW(videos, WM_CHAR, L' ', 0);
  EXPECT_EQ(RowsOf(videos), (std::vector<std::string>{"[x] VTS_01_*.VOB  1KB", "[ ] VTS_03_*.VOB  8KB"}));

  // Typing another folder rescans; the dialog's choice reaches the folder
  // text in two steps, so its IFO's rows come up checked.
  std::string initialDir;
  form->SetOpenDialogRunner([&](HWND owner, TOpenDialog& dialog) {
    EXPECT_EQ(owner, form->Handle());
    initialDir = dialog.InitialDir;
    dialog.FileName = disc_ / "VTS_01_0.IFO";
    return true;
  });
  SendMessageW(form->Control(TControl::OpenDirBtn), BM_CLICK, 0, 0);
  EXPECT_EQ(initialDir, disc_.Dir());
  EXPECT_EQ(RowsOf(videos), (std::vector<std::string>{"[x] VTS_01_*.VOB  1KB", "[ ] VTS_03_*.VOB  8KB"}));
  SetTextOf(form->Control(TControl::DirEdit), test::kMissingFolder);
  EXPECT_EQ(SendMessageW(videos, LB_GETCOUNT, 0, 0), 0);
}

// The replacement indicator follows its field; the still-time field is
// limited to 0..255 when the focus leaves it for another control, and a
// button pressed meanwhile takes no focus and leaves the text as it is.
TEST_F(Win32FormOnFolder, ReplacementIndicatorAndStillTime) {
  auto form = MakeForm(disc_.Dir(), messages_);
  form->Show();
  SetTextOf(form->Control(TControl::ReplaceVOBEdit), disc_ / "VTS_01_1.VOB");
  EXPECT_EQ(TextOf(form->Control(TControl::Label6)), "ok");
  EXPECT_EQ(HintOf(*form, form->Control(TControl::Label6)), "File found.");
  SetTextOf(form->Control(TControl::ReplaceVOBEdit), disc_.Dir());
  EXPECT_EQ(TextOf(form->Control(TControl::Label6)), "NA");
  EXPECT_EQ(HintOf(*form, form->Control(TControl::Label6)), "File not found!");

  HWND still = form->Control(TControl::ManualStillTimeEdit);
  for (const auto& [typed, left] : std::map<std::string, std::string>{
           {"300", "255"}, {"-5", "0"}, {"42", "42"}, {"256", "255"}, {"", "3"}, {"abc", "3"}}) {
    SetFocus(still);
    SetTextOf(still, typed);
    SendMessageW(form->Control(TControl::DelBtn), BM_CLICK, 0, 0);
    EXPECT_EQ(GetFocus(), still);
    EXPECT_EQ(TextOf(still), typed);
    SetFocus(form->Control(TControl::DirEdit));
    EXPECT_EQ(TextOf(still), left) << typed;
  }
}

// "Blank!" on copies of authored discs with the choices a user makes in the
// window; the folder afterwards is file for file and byte for byte the one
// the Linux build's kestrune-cli leaves with the same choices
// (linux_runs.sh), backups included.
struct BlankCase {
  const char* name;     // the run of linux_runs.sh
  const char* disc;
  const char* folder;   // where the copy is made, under a scratch folder
  const char* argument; // the file of the copy the window is started on, or "" for the folder
  std::vector<std::pair<TControl, const char*>> clicks;  // rows clicked in the lists
  std::map<TControl, bool> boxes;                        // check boxes set
  std::vector<std::string> rowsAfter;                    // all three lists afterwards
  bool replacement = false;                              // the replacement VOB from pal_menu_all, still time 255
};

std::ostream& operator<<(std::ostream& os, const BlankCase& c) { return os << c.name; }

const BlankCase kBlankCases[] = {
    {"pal_menu_all", "pal_menu", "VIDEO_TS", "VTS_01_0.IFO", {{TControl::VMGBox, "VIDEO_TS.VOB"}}, {},
     {"[ ] VIDEO_TS.VOB  10KB", "[ ] VTS_01_*.VOB  10KB", "[ ] VTS_01_0.VOB  10KB"}},
    {"ntsc_two_sets_options",
     "ntsc_two_sets",
     "VIDEO_TS",
     "",
     {{TControl::VTSBox, "VTS_02_"}, {TControl::VTSMenuBox, "VTS_01_"}},
     {{TControl::BackupBox, false},
      {TControl::MergeProgsBox, true},
      {TControl::RemStopsBox, false},
      {TControl::RemoveAudioSubMapBox, false}},
     {"[ ] VIDEO_TS.VOB  170KB", "[ ] VTS_01_*.VOB  334KB", "[ ] VTS_02_*.VOB  10KB", "[ ] VTS_01_0.VOB  10KB",
      "[ ] VTS_02_0.VOB  170KB"}},
    {"pal_split_replacement",
     "pal_split",
     "VIDEO_TS",
     "VTS_01_0.IFO",
     {{TControl::VTSMenuBox, "VTS_01_"}},
     {{TControl::MergeCellsBox, true}, {TControl::ReplaceVOBBox, true}, {TControl::ManualStillTimeBox, true}},
     {"[ ] VTS_01_*.VOB  10KB", "[ ] VTS_01_0.VOB  180KB"},
     true},
    // The first run again, in a folder whose name is not ASCII.
    {"pal_menu_all", "pal_menu", "Filmé Ünïcode\\VIDEO_TS", "VTS_01_0.IFO", {{TControl::VMGBox, "VIDEO_TS.VOB"}}, {},
     {"[ ] VIDEO_TS.VOB  10KB", "[ ] VTS_01_*.VOB  10KB", "[ ] VTS_01_0.VOB  10KB"}},
};

class Win32FormBlank : public ::testing::TestWithParam<BlankCase> {};

TEST_P(Win32FormBlank, LeavesTheFilesTheLinuxBuildLeaves) {
  const BlankCase& c = GetParam();
  const std::string linux = std::string(KESTRUNE_LINUX_RUNS) + "/" + c.name;
  if (!fs::is_directory(test::Native(linux))) GTEST_SKIP() << "no Linux run in " << linux << " (KESTRUNE_LINUX_CLI)";
  test::TempFolder scratch;
  const std::string disc = scratch / c.folder;
  ASSERT_TRUE(CopyDisc(c.disc, disc));
  std::vector<std::string> messages;
  auto form = MakeForm(c.argument[0] != '\0' ? disc + "\\" + c.argument : disc + "\\", messages);
  for (const auto& [list, prefix] : c.clicks) ClickRow(form->Control(list), prefix);
  for (const auto& [box, checked] : c.boxes) SetChecked(form->Control(box), checked);
  if (c.replacement) {
    SetTextOf(form->Control(TControl::ReplaceVOBEdit), std::string(KESTRUNE_LINUX_RUNS) + "/pal_menu_all/VTS_01_1.VOB");
    SetTextOf(form->Control(TControl::ManualStillTimeEdit), "300");
  }
  SendMessageW(form->Control(TControl::GoBtn), BM_CLICK, 0, 0);
  EXPECT_TRUE(messages.empty()) << messages.front();
  std::vector<std::string> rows = RowsOf(form->Control(TControl::VMGBox));
  for (TControl list : {TControl::VTSBox, TControl::VTSMenuBox})
    for (const std::string& row : RowsOf(form->Control(list))) rows.push_back(row);
  EXPECT_EQ(rows, c.rowsAfter);
  const Files linuxFiles = test::Snapshot(linux);
  const Files windowsFiles = test::Snapshot(disc);
  ASSERT_EQ(windowsFiles.size(), linuxFiles.size());
  for (const auto& [name, bytes] : linuxFiles) {
    ASSERT_TRUE(windowsFiles.count(name)) << name;
    EXPECT_TRUE(windowsFiles.at(name) == bytes) << name << " differs";
  }

  // "Back to orig. files" gives back the disc where the run kept backups;
  // "Delete backups" then finds none.
  if (!c.boxes.count(TControl::BackupBox)) {
    SendMessageW(form->Control(TControl::OrigBtn), BM_CLICK, 0, 0);
    EXPECT_TRUE(test::Snapshot(disc) == test::Snapshot(test::Utf8(dvdcheck::FixtureVideoTs(c.disc))));
    EXPECT_GT(RowsOf(form->Control(TControl::VTSBox)).size(), 0u);
  }
}

INSTANTIATE_TEST_SUITE_P(Discs, Win32FormBlank, ::testing::ValuesIn(kBlankCases));

// "Delete backups" after a run deletes every NAME~ and nothing else, and
// does not rescan; a second run after it still works on the blanked disc.
TEST_F(Win32Form, DeleteBackupsAfterARun) {
  test::TempFolder scratch;
  const std::string disc = scratch / "VIDEO_TS";
  if (!CopyDisc("pal_menu", disc)) GTEST_SKIP() << "the discs have not been authored";
  auto form = MakeForm(disc + "\\VTS_01_0.IFO", messages_);
  SendMessageW(form->Control(TControl::GoBtn), BM_CLICK, 0, 0);
  ASSERT_TRUE(messages_.empty()) << messages_.front();
  const Files blanked = test::Snapshot(disc);
  SendMessageW(form->Control(TControl::DelBtn), BM_CLICK, 0, 0);
  Files left = blanked;
  for (auto it = left.begin(); it != left.end();)
    it = it->first.back() == '~' ? left.erase(it) : std::next(it);
  EXPECT_LT(left.size(), blanked.size());
  EXPECT_TRUE(test::Snapshot(disc) == left);
}

// Refused runs: the error box with the status text, and the folder as it was.
struct Refusal {
  const char* name;
  const char* shown;  // the start of the box's text
  void (*damage)(const std::string& disc);
};

std::ostream& operator<<(std::ostream& os, const Refusal& r) { return os << r.name; }

const Refusal kRefusals[] = {
    {"NothingChecked", "Error: No TitleSets given to process!", nullptr},
    {"DamagedIfo", "Error: Given IFO-file is invalid!\r\n",
     [](const std::string& disc) {
       std::vector<std::uint8_t> ifo = test::ReadBytes(disc + "\\VTS_01_0.IFO");
       ifo[11] = 'X';  // "DVDVIDEO-VTS" no more
       test::WriteBytes(disc + "\\VTS_01_0.IFO", ifo);
     }},
    {"ReplacementNotAOneFrameVob", "Error: The replacement VOB is not a usable one-frame VOB!", [](const std::string& disc) {
       test::WriteBytes(disc + "\\..\\REPLACE.VOB", std::vector<std::uint8_t>(20480, 0));
     }},
};

class Win32FormRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(Win32FormRefusal, ShowsTheErrorBoxAndChangesNothing) {
  const Refusal& r = GetParam();
  test::TempFolder scratch;
  const std::string disc = scratch / "VIDEO_TS";
  if (!CopyDisc("pal_menu", disc)) GTEST_SKIP() << "the discs have not been authored";
  if (r.damage) r.damage(disc);
  const Files before = test::Snapshot(disc);
  std::vector<std::string> messages;
  auto form = MakeForm(std::string(r.damage ? disc + "\\VTS_01_0.IFO" : disc + "\\"), messages);
  if (std::string(r.name) == "ReplacementNotAOneFrameVob") {
    SetTextOf(form->Control(TControl::ReplaceVOBEdit), scratch / "REPLACE.VOB");
    SetChecked(form->Control(TControl::ReplaceVOBBox), true);
  }
  SendMessageW(form->Control(TControl::GoBtn), BM_CLICK, 0, 0);
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].rfind(r.shown, 0), 0u) << messages[0];
  EXPECT_TRUE(test::Snapshot(disc) == before);
  EXPECT_EQ(form->RunObject(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Discs, Win32FormRefusal, ::testing::ValuesIn(kRefusals));

// A folder that does not exist, and an IFO another program holds open
// without sharing it: the error box says why, nothing changes.
TEST_F(Win32Form, MissingFolderAndHeldIfo) {
  auto form = MakeForm("", messages_);
  SetTextOf(form->Control(TControl::DirEdit), test::kMissingFolder);
  SendMessageW(form->Control(TControl::GoBtn), BM_CLICK, 0, 0);
  EXPECT_EQ(messages_, (std::vector<std::string>{"Error: Can't find the given path!"}));
  EXPECT_EQ(SendMessageW(form->Control(TControl::VTSBox), LB_GETCOUNT, 0, 0), 0);

  test::TempFolder scratch;
  const std::string disc = scratch / "VIDEO_TS";
  if (!CopyDisc("pal_menu", disc)) GTEST_SKIP() << "the discs have not been authored";
  messages_.clear();
  SetTextOf(form->Control(TControl::DirEdit), disc + "\\");
  ClickRow(form->Control(TControl::VTSBox), "VTS_01_");
  const Files before = test::Snapshot(disc);
  {
    test::LockedFile held(disc + "\\VTS_01_0.IFO");
    ASSERT_TRUE(held.Held());
    SendMessageW(form->Control(TControl::GoBtn), BM_CLICK, 0, 0);
  }
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].rfind("Error: Can't open the given IFO-file!", 0), 0u) << messages_[0];
  EXPECT_TRUE(test::Snapshot(disc) == before);
}

// Without a seam the status is a modal box of its own: caption "Error",
// the error icon, one OK button, no owner window. A timer answers it.
TEST_F(Win32Form, TheMessageBoxItself) {
  static std::string seen;
  seen.clear();
  TMainForm form;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
    HWND box = FindWindowW(L"#32770", L"Error");
    if (box == nullptr) return;
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      wchar_t kind[32] = {};
      GetClassNameW(child, kind, 32);
      if (std::wstring(kind) == L"Button") ++buttons;
    }
    HICON icon = nullptr;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
      if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
        icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
    seen = TextOf(box) + "|" + TextOf(GetDlgItem(box, 0xFFFF)) + "|" + std::to_string(buttons) + "|" +
           (GetDlgItem(box, IDOK) != nullptr ? "OK" : "") + "|" + (GetWindow(box, GW_OWNER) == nullptr ? "none" : "owned") +
           "|" + (icon != nullptr ? "icon" : "");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  form.ReportStatus(-100);
  KillTimer(nullptr, timer);
  EXPECT_EQ(seen, "Error|Can't find the given path!|1|OK|none|icon");
}

}  // namespace
}  // namespace kestrune::win32gui
