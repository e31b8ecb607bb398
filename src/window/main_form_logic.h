// What TMainForm does, without a toolkit: the command line at creation, the
// folder scan into the three lists, the browse button, "Blank!", "Back to
// orig. files", "Delete backups", the replacement VOB indicator, the still
// time field and the status box. Each window wires its events to these
// handlers; the handlers read and set the window through TWindowView.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "run_choices.h"
#include "status.h"
#include "window_view.h"

namespace kestrune {
class TTitleSet;
}

namespace kestrune::window {

class TMainFormLogic {
 public:
  // Receives the engine object of "Blank!" once the window's choices are in
  // it, right before Process. Whatever it throws is handled as if Process had.
  using RunObserver = std::function<void(TTitleSet& run)>;

  explicit TMainFormLogic(TWindowView& view);
  ~TMainFormLogic();
  TMainFormLogic(const TMainFormLogic&) = delete;
  TMainFormLogic& operator=(const TMainFormLogic&) = delete;

  // The command line of FormCreate, `argument` being the program's first
  // argument (empty when absent): an existing file becomes OpenDlg's file
  // name; its folder part, when it is a folder, becomes the dialog's initial
  // folder and the folder text (which scans with AutoCheck); without an
  // argument the folder text as it stands is scanned. Then the replacement
  // VOB indicator is brought up to date.
  void FormCreate(const std::string& argument);

  // Clears and refills the three check lists from the folder text; with
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

  // The controls as "Blank!" hands them over to the run.
  RunChoices Choices() const;

  void SetRunObserver(RunObserver observer) { FRunObserver = std::move(observer); }
  // The engine object of a running "Blank!", null at all other times.
  const TTitleSet* RunObject() const { return FTitleSet.get(); }

 private:
  // Fills and runs the engine object; returns the text to show when an error
  // escaped the run, empty when the run ended with a status.
  std::string RunTitleSet(TTitleSet& run);

  TWindowView& FView;
  std::unique_ptr<TTitleSet> FTitleSet;
  RunObserver FRunObserver;
};

// The command-line argument without the quotes around it.
std::string UnquotedArgument(const std::string& argument);

// The title set numbers of the checked rows, top to bottom, as the engine
// looks them up ("1" for a row starting VTS_01_).
std::vector<int> CheckedTitleSets(const std::vector<ScanRow>& rows);

}  // namespace kestrune::window
