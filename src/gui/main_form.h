// TMainForm: the one window of Kestrune. A folder field with a browse button,
// three check lists (the video manager's menu video, the title set videos, the
// title set menus), the run options, and the commands "Blank!", "Back to orig.
// files" and "Delete backups".
//
// The window only reads its controls, calls kestrune_core and shows the
// result: the scan rows, the still-time limits, the title set numbers of rows,
// the backup commands and the status texts all come from the core.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "run_choices.h"
#include "status.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace kestrune {
class TTitleSet;
}

namespace kestrune::gui {

// The filter of the browse button's file-open dialog; the information files
// come first and are the dialog's default choice.
inline constexpr char kOpenDialogFilter[] = "IFO-files (*.ifo);;All files (*.*)";

// The browse button's file-open dialog as the state that outlives each
// showing: the chosen file name, which every scan with AutoCheck compares its
// IFO names against, and the folder the dialog opens in.
struct TOpenDialog {
  QString FileName;
  QString InitialDir;
};

class TMainForm : public QWidget {
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
  using RunObserver = std::function<void(TTitleSet& run)>;

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
  const TTitleSet* RunObject() const { return FTitleSet.get(); }

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
  // The controls as "Blank!" hands them over to the run.
  RunChoices Choices() const;
  // Fills and runs the engine object; returns the text to show when an error
  // escaped the run, empty when the run ended with a status.
  QString RunTitleSet(TTitleSet& run);

  std::unique_ptr<TTitleSet> FTitleSet;
  OpenDialogRunner FOpenDialogRunner;
  MessageBoxShower FMessageBoxShower;
  RunObserver FRunObserver;
  bool FCentred = false;
  bool FSnapping = false;
};

}  // namespace kestrune::gui
