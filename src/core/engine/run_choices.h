// What the user chose for a blanking run, in one value, and the one place
// that puts it into the engine object. The window gathers its check boxes,
// its three lists' checked rows, the still-time field and the replacement
// VOB field into a RunChoices; the command line gathers its options into
// one; both hand it to FillRun right before the run.
#pragma once

#include <string>
#include <vector>

namespace kestrune {

class TTitleSet;

struct RunChoices {
  // The run options; the defaults are those the window starts with and the
  // command line uses without options.
  bool backup = true;
  bool removeAudioSubMapping = true;
  bool removeStops = true;
  bool mergePrograms = false;
  bool mergeCells = false;
  bool useReplacementVob = false;
  std::string replacementVobPath;  // handed over as it is, used or not
  bool useManualStillTime = false;
  std::string stillTimeText;  // the field's text or the option's; read only when the still time is used
  // What is blanked: the video manager's menu video, and the title sets
  // (1..99) whose title videos and whose menus are.
  bool blankVmgMenu = false;
  std::vector<int> titleSets;
  std::vector<int> menuSets;
};

struct FilledRun {
  // The still-time text was no whole number: the run stops for 3 seconds,
  // and the field that held the text is to show "3" again.
  bool stillTimeFieldReset = false;
};

// Sets the option fields and the two title set lists of `run` from `choices`.
// The still time is clamped to 0..255 (see StillTimeForRun). Nothing else of
// `run` changes and nothing on disk is touched.
FilledRun FillRun(TTitleSet& run, const RunChoices& choices);

}  // namespace kestrune
