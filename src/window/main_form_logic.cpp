#include "main_form_logic.h"

#include <exception>
#include <new>

#include "backup_commands.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "run_options.h"
#include "title_set.h"
#include "window_controls.h"

namespace kestrune::window {

std::string UnquotedArgument(const std::string& argument) {
  if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
    return argument.substr(1, argument.size() - 2);
  return argument;
}

std::vector<int> CheckedTitleSets(const std::vector<ScanRow>& rows) {
  std::vector<int> numbers;
  for (const ScanRow& row : rows) {
    if (!row.checked) continue;
    const std::string number = TitleSetNumberOfRow(row.text);
    if (!number.empty()) numbers.push_back(std::stoi(number));
  }
  return numbers;
}

TMainFormLogic::TMainFormLogic(TWindowView& view) : FView(view) {}
TMainFormLogic::~TMainFormLogic() = default;

void TMainFormLogic::FormCreate(const std::string& commandLineArgument) {
  FTitleSet.reset();
  const std::string argument = UnquotedArgument(commandLineArgument);
  if (argument.empty()) {
    FindTitleSets(false);
  } else {
    if (FileExists(argument)) FView.SetDialogFileName(argument);
    // A folder without a trailing delimiter names its parent's entry, so its
    // parent is scanned; the scan runs from DirEditChange, with AutoCheck.
    const std::string folder = FolderPartOf(argument);
    if (FolderExists(folder)) {
      FView.SetDialogInitialDir(folder);
      FView.SetText(TEditField::DirEdit, folder);
    }
  }
  ReplaceVOBEditChange();
}

void TMainFormLogic::FindTitleSets(bool AutoCheck) {
  const ScanRows rows = FindTitleSetRows(FView.Text(TEditField::DirEdit), FView.DialogFileName(), AutoCheck);
  FView.SetRows(TCheckList::VMGBox, rows.vmg);
  FView.SetRows(TCheckList::VTSBox, rows.videos);
  FView.SetRows(TCheckList::VTSMenuBox, rows.menus);
}

void TMainFormLogic::DirEditChange() { FindTitleSets(true); }

void TMainFormLogic::OpenDirBtnClick() {
  const std::string folder = FView.Text(TEditField::DirEdit);
  if (FolderExists(folder)) FView.SetDialogInitialDir(folder);
  if (!FView.ExecuteOpenDialog()) return;
  // Emptying the field first makes the chosen folder scan again, with its
  // IFO's rows checked, even when the field already shows that folder.
  FView.SetText(TEditField::DirEdit, std::string());
  FView.SetText(TEditField::DirEdit, FolderPartOf(FView.DialogFileName()));
}

void TMainFormLogic::GoBtnClick() {
  // The status box of a run has no owner window; should a click get through
  // while it is open, the run object it still holds is left alone.
  if (FTitleSet) return;
  try {
    FTitleSet = std::make_unique<TTitleSet>(FView.Text(TEditField::DirEdit));
  } catch (const std::bad_alloc&) {
    FTitleSet.reset();
  }
  if (!FTitleSet) {
    ReportStatus(kStatusNoEngine);
  } else {
    const std::string escaped = RunTitleSet(*FTitleSet);
    FTitleSet.reset();
    // An error that escaped the run ends the command at once, without a rescan.
    if (!escaped.empty()) {
      FView.ShowMessageBox(kMessageBoxCaption, escaped);
      return;
    }
  }
  FindTitleSets(false);
}

std::string TMainFormLogic::RunTitleSet(TTitleSet& run) {
  if (run.FStatus != kStatusOk) {
    ReportStatus(run.FStatus, run.FStatusDetail);
    return {};
  }
  if (FillRun(run, Choices()).stillTimeFieldReset)
    FView.SetText(TEditField::ManualStillTimeEdit, std::to_string(kDefaultStillTime));
  try {
    if (FRunObserver) FRunObserver(run);
    run.Process();
  } catch (const FileError& error) {
    return std::string("Blanking stopped while the folder was being changed.\r\n") + error.what();
  } catch (const std::exception& error) {
    return std::string("Blanking stopped.\r\n") + error.what();
  }
  ReportStatus(run.FStatus, run.FStatusDetail);
  return {};
}

RunChoices TMainFormLogic::Choices() const {
  RunChoices choices;
  choices.backup = FView.Checked(TSwitch::BackupBox);
  choices.mergePrograms = FView.Checked(TSwitch::MergeProgsBox);
  choices.mergeCells = FView.Checked(TSwitch::MergeCellsBox);
  choices.removeStops = FView.Checked(TSwitch::RemStopsBox);
  choices.replacementVobPath = FView.Text(TEditField::ReplaceVOBEdit);
  choices.useReplacementVob = FView.Checked(TSwitch::ReplaceVOBBox);
  choices.useManualStillTime = FView.Checked(TSwitch::ManualStillTimeBox);
  choices.removeAudioSubMapping = FView.Checked(TSwitch::RemoveAudioSubMapBox);
  // The field is read here as it stands: the buttons take no focus, so an
  // entry not yet limited by leaving the field is limited for the run alone.
  choices.stillTimeText = FView.Text(TEditField::ManualStillTimeEdit);
  const std::vector<ScanRow> vmg = FView.Rows(TCheckList::VMGBox);
  choices.blankVmgMenu = !vmg.empty() && vmg.front().checked;
  choices.titleSets = CheckedTitleSets(FView.Rows(TCheckList::VTSBox));
  choices.menuSets = CheckedTitleSets(FView.Rows(TCheckList::VTSMenuBox));
  return choices;
}

void TMainFormLogic::OrigBtnClick() {
  // Entries that cannot be restored are passed over by the core and stay as
  // they are; like the rest of this command, that shows no message.
  RestoreBackups(FView.Text(TEditField::DirEdit));
  FindTitleSets(false);
}

void TMainFormLogic::DelBtnClick() {
  // Backups never appear in the lists, so nothing is rescanned.
  DeleteBackups(FView.Text(TEditField::DirEdit));
}

void TMainFormLogic::ReplaceVOBEditChange() {
  const bool found = FileExists(FView.Text(TEditField::ReplaceVOBEdit));
  FView.SetIndicator(found ? "ok" : "NA", found ? "File found." : "File not found!");
}

void TMainFormLogic::ManualStillTimeEditExit() {
  FView.SetText(TEditField::ManualStillTimeEdit, StillTimeFieldOnExit(FView.Text(TEditField::ManualStillTimeEdit)));
}

void TMainFormLogic::ReportStatus(TStatus code, const std::string& detail) {
  if (code == kStatusOk) return;
  std::string text = StatusMessage(code);
  if (!detail.empty()) text += "\r\n" + detail;
  FView.ShowMessageBox(kMessageBoxCaption, text);
}

}  // namespace kestrune::window
