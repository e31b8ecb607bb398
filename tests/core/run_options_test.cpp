// The still-time field, the row numbers and the status texts shared by the
// window and the command line.
#include "run_options.h"

#include <gtest/gtest.h>

#include "status.h"

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
