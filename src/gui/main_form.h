// TMainForm: the one window of Kestrune. A folder field with a browse button,
// three check lists (the video manager's menu video, the title set videos, the
// title set menus), the run options, and the commands "Blank!", "Back to orig.
// files" and "Delete backups".
//
// The window creates its controls, wires their events to the window logic
// (src/window: the command line, the scan rows, what each command does, the
// status texts, the layout rules) and shows what the logic gives it.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "main_form_logic.h"
#include "status.h"
#include "window_controls.h"
#include "window_view.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestrune {
class TTitleSet;
}

namespace kestrune::gui {

// The browse button's file-open dialog as the state that outlives each
// showing: the chosen file name, which every scan with AutoCheck compares its
// IFO names against, and the folder the dialog opens in.
struct TOpenDialog {
  QString FileName;
  QString InitialDir;
};

class TMainForm : public QWidget, private window::TWindowView {
  Q_OBJECT

 public:
  // Shows the file-open dialog. On a choice it stores the chosen file in
  // dialog.FileName and returns true; false when the user cancels.
  using OpenDialogRunner = std::function<bool(QWidget* owner, TOpenDialog& dialog)>;
  // Shows a modal message box with the error icon, one OK button and no
  // owner window, and returns when it is closed.
  using MessageBoxShower = std::function<void(const QString& caption, const QString& text)>;
  // Receives the engine object of "Blank!" once the window's choices are in
  // it, right before Process. Whatever it throws is handled as if Process had.
  using RunObserver = window::TMainFormLogic::RunObserver;

  // `commandLineArgument` is the program's first argument, empty when absent.
  explicit TMainForm(const QString& commandLineArgument = QString(), QWidget* parent = nullptr);
  ~TMainForm() override;

  // --- handlers ---------------------------------------------------------------
  // Clears and refills the three check lists from the folder in DirEdit; with
  // AutoCheck the rows of the IFO last chosen in OpenDlg come up checked.
  void FindTitleSets(bool AutoCheck);
  void DirEditChange();
  void OpenDirBtnClick();
  void GoBtnClick();
  void OrigBtnClick();
  void DelBtnClick();
  void ReplaceVOBEditChange();
  void ManualStillTimeEditExit();
  // Nothing for 0; otherwise the status text, and below it the engine's
  // detail when it gives one, in an "Error" box.
  void ReportStatus(TStatus code, const std::string& detail = {});

  // --- seams: the defaults show real dialogs ------------------------------------
  void SetOpenDialogRunner(OpenDialogRunner runner);
  void SetMessageBoxShower(MessageBoxShower shower);
  void SetRunObserver(RunObserver observer);

  // The engine object of a running "Blank!", null at all other times.
  const TTitleSet* RunObject() const { return FLogic.RunObject(); }

  // --- controls, named by role with their kind -----------------------------------
  QLineEdit* DirEdit = nullptr;
  QPushButton* OpenDirBtn = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* Label3 = nullptr;
  QLabel* Label4 = nullptr;
  QLabel* Label6 = nullptr;
  QListWidget* VMGBox = nullptr;
  QListWidget* VTSBox = nullptr;
  QListWidget* VTSMenuBox = nullptr;
  QCheckBox* BackupBox = nullptr;
  QCheckBox* RemoveAudioSubMapBox = nullptr;
  QCheckBox* RemStopsBox = nullptr;
  QCheckBox* MergeProgsBox = nullptr;
  QCheckBox* MergeCellsBox = nullptr;
  QCheckBox* ReplaceVOBBox = nullptr;
  QLineEdit* ReplaceVOBEdit = nullptr;
  QCheckBox* ManualStillTimeBox = nullptr;
  QLineEdit* ManualStillTimeEdit = nullptr;
  QPushButton* OrigBtn = nullptr;
  QPushButton* GoBtn = nullptr;
  QPushButton* DelBtn = nullptr;

  TOpenDialog OpenDlg;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void FormCreate(const QString& commandLineArgument);
  void FormResize();

  // --- TWindowView: the controls as the window logic reads and sets them ---------
  std::string Text(window::TEditField field) const override;
  void SetText(window::TEditField field, const std::string& text) override;
  bool Checked(window::TSwitch box) const override;
  std::vector<ScanRow> Rows(window::TCheckList list) const override;
  void SetRows(window::TCheckList list, const std::vector<ScanRow>& rows) override;
  void SetIndicator(const std::string& caption, const std::string& hint) override;
  std::string DialogFileName() const override;
  void SetDialogFileName(const std::string& name) override;
  void SetDialogInitialDir(const std::string& folder) override;
  bool ExecuteOpenDialog() override;
  void ShowMessageBox(const std::string& caption, const std::string& text) override;
  QLineEdit* Field(window::TEditField field) const;
  QListWidget* List(window::TCheckList list) const;

  // Every control by its place in the window logic's table.
  std::array<QWidget*, window::kControlCount> FControls{};
  window::TMainFormLogic FLogic{*this};
  OpenDialogRunner FOpenDialogRunner;
  MessageBoxShower FMessageBoxShower;
  bool FCentred = false;
  bool FSnapping = false;
};

}  // namespace kestrune::gui
