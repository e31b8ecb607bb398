// The still-time field, the row numbers, the status texts and the choices of
// a run, shared by the window and the command line.
#include "run_options.h"

#include <gtest/gtest.h>

#include "run_choices.h"
#include "status.h"
#include "title_set.h"

namespace kestrune {
namespace {

TEST(StillTime, IsClampedInTheRunAndFallsBackToThree) {
  struct Case {
    const char* text;
    int value;
    bool reset;
  };
  for (const Case& c : {Case{"42", 42, false}, Case{"300", 255, false}, Case{"256", 255, false},
                        Case{"-5", 0, false}, Case{"  +7", 7, false}, Case{"abc", 3, true}, Case{"", 3, true},
                        Case{"4 ", 3, true}, Case{"99999999999", 3, true}, Case{"-", 3, true}}) {
    bool reset = false;
    EXPECT_EQ(StillTimeForRun(c.text, reset), c.value) << c.text;
    EXPECT_EQ(reset, c.reset) << c.text;
  }
}

TEST(StillTime, FieldTextOnLeaving) {
  EXPECT_EQ(StillTimeFieldOnExit("abc"), "3");
  EXPECT_EQ(StillTimeFieldOnExit("300"), "255");
  EXPECT_EQ(StillTimeFieldOnExit("256"), "255");
  EXPECT_EQ(StillTimeFieldOnExit("-5"), "0");
  EXPECT_EQ(StillTimeFieldOnExit("42"), "42");
  EXPECT_EQ(StillTimeFieldOnExit(" 042"), " 042");  // a whole number in range stays as typed
  EXPECT_EQ(StillTimeFieldOnExit(""), "3");
}

TEST(RowNumber, IsTheTitleSetWithoutLeadingZeros) {
  EXPECT_EQ(TitleSetNumberOfRow("VTS_01_*.VOB  10KB"), "1");
  EXPECT_EQ(TitleSetNumberOfRow("VTS_12_0.VOB  2048KB"), "12");
  EXPECT_EQ(TitleSetNumberOfRow("VTS_99_0.VOB  1KB"), "99");
  EXPECT_EQ(TitleSetNumberOfRow("VTS_"), "");
  EXPECT_EQ(TitleSetNumberOfRow("VIDEO_TS.VOB  1KB"), "");
}

// Each choice lands in its own field: once as the window starts (and the
// command line runs without options), once with every choice the other way.
TEST(RunChoices, FillEveryFieldOfTheRun) {
  RunChoices flipped;
  flipped.backup = flipped.removeAudioSubMapping = flipped.removeStops = false;
  flipped.mergePrograms = flipped.mergeCells = flipped.useReplacementVob = true;
  flipped.useManualStillTime = true;
  flipped.stillTimeText = "7";
  flipped.replacementVobPath = "/r/BLACK.VOB";
  flipped.blankVmgMenu = true;
  flipped.titleSets = {1, 42};
  flipped.menuSets = {99};
  for (const RunChoices& choices : {RunChoices{}, flipped}) {
    TTitleSet run("/no/such/folder");
    EXPECT_FALSE(FillRun(run, choices).stillTimeFieldReset);
    EXPECT_EQ(run.FBackup, choices.backup);
    EXPECT_EQ(run.FRemoveAudioSubMapping, choices.removeAudioSubMapping);
    EXPECT_EQ(run.FRemoveStops, choices.removeStops);
    EXPECT_EQ(run.FMergePrograms, choices.mergePrograms);
    EXPECT_EQ(run.FMergeCells, choices.mergeCells);
    EXPECT_EQ(run.FUseReplacementVob, choices.useReplacementVob);
    EXPECT_EQ(run.FReplacementVobPath, choices.replacementVobPath);
    EXPECT_EQ(run.FUseManualStillTime, choices.useManualStillTime);
    EXPECT_EQ(run.FManualStillTime, choices.useManualStillTime ? 7 : 0);
    EXPECT_EQ(run.FBlankVmgMenu, choices.blankVmgMenu);
    using Names = std::vector<std::string>;
    EXPECT_EQ(run.FVideoList, choices.titleSets.empty() ? Names{} : Names({"1", "42"}));
    EXPECT_EQ(run.FMenuList, choices.menuSets.empty() ? Names{} : Names({"99"}));
  }
}

// The still-time text is read only when the still time is used; a text that
// is no whole number gives 3 and asks for the field to show "3" again.
TEST(RunChoices, ReadTheStillTimeOnlyWhenItIsUsed) {
  struct Case {
    bool used;
    const char* text;
    int value;
    bool reset;
  };
  for (const Case& c : {Case{true, "abc", 3, true}, Case{true, "", 3, true}, Case{true, "300", 255, false},
                        Case{true, "-5", 0, false}, Case{false, "abc", 0, false}, Case{false, "42", 0, false}}) {
    RunChoices choices;
    choices.useManualStillTime = c.used;
    choices.stillTimeText = c.text;
    TTitleSet run("/no/such/folder");
    EXPECT_EQ(FillRun(run, choices).stillTimeFieldReset, c.reset) << c.used << " " << c.text;
    EXPECT_EQ(run.FManualStillTime, c.value) << c.used << " " << c.text;
  }
}

TEST(StatusMessage, GivesTheTextOfEveryCode) {
  EXPECT_EQ(StatusMessage(0), "");
  EXPECT_EQ(StatusMessage(-20), "No TitleSets given to process!");
  EXPECT_EQ(StatusMessage(-100), "Can't find the given path!");
  EXPECT_EQ(StatusMessage(-101), "Can't find the given IFO-file!");
  EXPECT_EQ(StatusMessage(-102), "Can't open the given IFO-file!");
  EXPECT_EQ(StatusMessage(-150), "Given IFO-file is invalid!");
  EXPECT_EQ(StatusMessage(-151), "Given IFO-file is invalid, because it is too big! (>512KB)");
  EXPECT_EQ(StatusMessage(-200), "Can't initialize a buffer for the given IFO-file!");
  EXPECT_EQ(StatusMessage(-250), "An undefined error has occured!");
  EXPECT_EQ(StatusMessage(-5), "Can't initialize TTitleSet!");
  EXPECT_EQ(StatusMessage(-10), "Can't open IFO-file!");
  EXPECT_EQ(StatusMessage(-50), "Given TitleSet number is invalid!");
  EXPECT_EQ(StatusMessage(-7), "Unknown Error!\r\nError Code: -7");
  EXPECT_EQ(StatusMessage(12), "Unknown Error!\r\nError Code: 12");
}

}  // namespace
}  // namespace kestrune
