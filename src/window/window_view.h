// What the window logic needs of a window: read and set its controls, show
// the file-open dialog and the message box. The Qt window and the Win32
// window each implement it over their own controls. Texts are UTF-8.
#pragma once

#include <string>
#include <vector>

#include "folder_scan.h"

namespace kestrune::window {

enum class TEditField { DirEdit, ReplaceVOBEdit, ManualStillTimeEdit };
enum class TSwitch {
  BackupBox,
  RemoveAudioSubMapBox,
  RemStopsBox,
  MergeProgsBox,
  MergeCellsBox,
  ReplaceVOBBox,
  ManualStillTimeBox,
};
enum class TCheckList { VMGBox, VTSBox, VTSMenuBox };

class TWindowView {
 public:
  virtual ~TWindowView() = default;

  virtual std::string Text(TEditField field) const = 0;
  // Sets the field's text. A text that differs from the one shown raises
  // the field's change event, as typing does; the same text raises none.
  virtual void SetText(TEditField field, const std::string& text) = 0;
  virtual bool Checked(TSwitch box) const = 0;
  // The rows of a check list with their check states, top to bottom.
  virtual std::vector<ScanRow> Rows(TCheckList list) const = 0;
  virtual void SetRows(TCheckList list, const std::vector<ScanRow>& rows) = 0;
  // The replacement VOB indicator Label6: its caption and its hint.
  virtual void SetIndicator(const std::string& caption, const std::string& hint) = 0;

  // OpenDlg: the chosen file name, which every scan with AutoCheck compares
  // its IFO names against, and the folder the dialog opens in.
  virtual std::string DialogFileName() const = 0;
  virtual void SetDialogFileName(const std::string& name) = 0;
  virtual void SetDialogInitialDir(const std::string& folder) = 0;
  // Shows OpenDlg; true when the user chose a file (then DialogFileName is
  // that file), false when the user cancelled.
  virtual bool ExecuteOpenDialog() = 0;

  // A modal message box with the error icon, one OK button and no owner
  // window; returns when it is closed. Line breaks in `text` are "\r\n".
  virtual void ShowMessageBox(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kestrune::window
