// TMainForm on Windows: the one window of Kestrune in user32 and comctl32
// controls, wide-character calls throughout. It creates the controls from the
// window logic's table (src/window), wires their events to the window logic
// and shows what the logic gives it; it scales every place and the font to
// the window's dots per inch and follows a change of them (WM_DPICHANGED).
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "form_layout.h"
#include "main_form_logic.h"
#include "win32_window.h"
#include "window_controls.h"
#include "window_view.h"

namespace kestrune {
class TTitleSet;
}

namespace kestrune::win32gui {

// The browse button's file-open dialog as the state that outlives each
// showing (UTF-8): the chosen file name, which every scan with AutoCheck
// compares its IFO names against, and the folder the dialog opens in.
struct TOpenDialog {
  std::string FileName;
  std::string InitialDir;
};

// The window class of TMainForm.
inline constexpr wchar_t kWindowClass[] = L"TMainForm";

class TMainForm : private window::TWindowView {
 public:
  // Shows the file-open dialog owned by `owner`. On a choice it stores the
  // chosen file in dialog.FileName and returns true; false on cancel.
  using OpenDialogRunner = std::function<bool(HWND owner, TOpenDialog& dialog)>;
  // Shows a modal message box with the error icon, one OK button and no
  // owner window, and returns when it is closed. UTF-8 texts.
  using MessageBoxShower = std::function<void(const std::string& caption, const std::string& text)>;
  using RunObserver = window::TMainFormLogic::RunObserver;

  // Creates the window, hidden, with its controls, and runs FormCreate with
  // `commandLineArgument`, the program's first argument (empty when absent).
  explicit TMainForm(const std::wstring& commandLineArgument = {});
  ~TMainForm() override;
  TMainForm(const TMainForm&) = delete;
  TMainForm& operator=(const TMainForm&) = delete;

  // Shows the window, centred on its screen's work area the first time.
  void Show(int showCommand = SW_SHOWNORMAL);
  // Hands a message of the event loop to the window's keyboard handling
  // (Tab between the controls); true when it was taken.
  bool PreTranslate(MSG& message);

  HWND Handle() const { return FHandle; }
  HWND Control(window::TControl id) const { return FControls[static_cast<std::size_t>(id)]; }
  HWND HintWindow() const { return FHints; }
  // The dots per inch the window is laid out for.
  int Dpi() const { return FDpi; }
  HFONT Font() const { return FFont; }
  // The places FormResize gives the controls now: FormLayout's, with every
  // label as wide as its text at least.
  window::TLayout Layout() const;
  // The width of a text in the window's font.
  int TextWidth(const std::wstring& text) const;

  // --- handlers -----------------------------------------------------------------
  void FindTitleSets(bool AutoCheck) { FLogic.FindTitleSets(AutoCheck); }
  void DirEditChange() { FLogic.DirEditChange(); }
  void OpenDirBtnClick() { FLogic.OpenDirBtnClick(); }
  void GoBtnClick() { FLogic.GoBtnClick(); }
  void OrigBtnClick() { FLogic.OrigBtnClick(); }
  void DelBtnClick() { FLogic.DelBtnClick(); }
  void ReplaceVOBEditChange() { FLogic.ReplaceVOBEditChange(); }
  void ManualStillTimeEditExit() { FLogic.ManualStillTimeEditExit(); }
  void ReportStatus(TStatus code, const std::string& detail = {}) { FLogic.ReportStatus(code, detail); }

  // --- seams: the defaults show real dialogs -------------------------------------
  void SetOpenDialogRunner(OpenDialogRunner runner) { FOpenDialogRunner = std::move(runner); }
  void SetMessageBoxShower(MessageBoxShower shower) { FMessageBoxShower = std::move(shower); }
  void SetRunObserver(RunObserver observer) { FLogic.SetRunObserver(std::move(observer)); }

  // The engine object of a running "Blank!", null at all other times.
  const TTitleSet* RunObject() const { return FLogic.RunObject(); }

  TOpenDialog OpenDlg;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  void CreateHints();
  void FormCreate(const std::wstring& commandLineArgument);
  void FormResize();
  // Makes the font, the check list rows and the browse button's picture for
  // `dpi`, and lays the controls out again.
  void ApplyDpi(int dpi);
  void OnCommand(int id, int code);
  void SetHint(HWND control, const std::string& hint);

  // --- TWindowView ------------------------------------------------------------------
  std::string Text(window::TEditField field) const override;
  void SetText(window::TEditField field, const std::string& text) override;
  bool Checked(window::TSwitch box) const override;
  std::vector<ScanRow> Rows(window::TCheckList list) const override;
  void SetRows(window::TCheckList list, const std::vector<ScanRow>& rows) override;
  void SetIndicator(const std::string& caption, const std::string& hint) override;
  std::string DialogFileName() const override { return OpenDlg.FileName; }
  void SetDialogFileName(const std::string& name) override { OpenDlg.FileName = name; }
  void SetDialogInitialDir(const std::string& folder) override { OpenDlg.InitialDir = folder; }
  bool ExecuteOpenDialog() override { return FOpenDialogRunner(FHandle, OpenDlg); }
  void ShowMessageBox(const std::string& caption, const std::string& text) override {
    FMessageBoxShower(caption, text);
  }

  HWND FHandle = nullptr;
  HWND FHints = nullptr;
  std::array<HWND, window::kControlCount> FControls{};
  HFONT FFont = nullptr;
  HIMAGELIST FOpenPicture = nullptr;
  int FDpi = window::kDesignDpi;
  bool FControlsMade = false;  // change events count only once every control is there
  bool FCentred = false;
  window::TMainFormLogic FLogic{*this};
  OpenDialogRunner FOpenDialogRunner;
  MessageBoxShower FMessageBoxShower;
};

// The control ids of WM_COMMAND: the place in the window logic's table plus this.
inline constexpr int kFirstControlId = 100;

// The default seams: GetOpenFileNameW with the dialog's filter, and
// MessageBoxW with the error icon, one OK button and no owner window.
bool RunOpenFileDialog(HWND owner, TOpenDialog& dialog);
void ShowErrorBox(const std::string& caption, const std::string& text);

}  // namespace kestrune::win32gui
