#include "run_choices.h"

#include "run_options.h"
#include "title_set.h"

namespace kestrune {

FilledRun FillRun(TTitleSet& run, const RunChoices& choices) {
  FilledRun filled;
  run.FBackup = choices.backup;
  run.FMergePrograms = choices.mergePrograms;
  run.FMergeCells = choices.mergeCells;
  run.FRemoveStops = choices.removeStops;
  run.FReplacementVobPath = choices.replacementVobPath;
  run.FUseReplacementVob = choices.useReplacementVob;
  run.FUseManualStillTime = choices.useManualStillTime;
  run.FRemoveAudioSubMapping = choices.removeAudioSubMapping;
  if (run.FUseManualStillTime)
    run.FManualStillTime = StillTimeForRun(choices.stillTimeText, filled.stillTimeFieldReset);
  run.FBlankVmgMenu = choices.blankVmgMenu;
  run.FVideoList.clear();
  for (int n : choices.titleSets) run.FVideoList.push_back(std::to_string(n));
  run.FMenuList.clear();
  for (int n : choices.menuSets) run.FMenuList.push_back(std::to_string(n));
  return filled;
}

}  // namespace kestrune
