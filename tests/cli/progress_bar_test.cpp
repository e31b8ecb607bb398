// The progress line of long work on a terminal, and nothing without one.
#include "progress_bar.h"

#include <gtest/gtest.h>

#include <sstream>

namespace kestrune::cli {
namespace {

TEST(ProgressBar, SaysWhatIsDoneOfHowMuchTheRateAndTheTimeLeft) {
  struct Case {
    std::int64_t done, total;
    double seconds;
    const char* line;
  };
  const std::int64_t MiB = 1 << 20;
  const Case cases[] = {
      {0, 1024 * MiB, 0, "Extracting a.iso  0 B of 1.0 GiB  0%"},
      {412 * MiB, 1024 * MiB, 2, "Extracting a.iso  412.0 MiB of 1.0 GiB  40%  206.0 MiB/s  0:03 left"},
      {1024 * MiB, 1024 * MiB, 4, "Extracting a.iso  1.0 GiB of 1.0 GiB  100%  256.0 MiB/s"},
      {100, 0, 1, "Extracting a.iso  100 B  100 B/s"},  // a total not known
      {MiB, 4000 * MiB, 1, "Extracting a.iso  1.0 MiB of 3.9 GiB  0%  1.0 MiB/s  1:06:39 left"},
  };
  for (const Case& c : cases) EXPECT_EQ(ProgressBar::Line("Extracting a.iso", c.done, c.total, c.seconds), c.line);
}

TEST(ProgressBar, DrawsInPlaceOnATerminalAndNothingElsewhere) {
  double now = 0;
  std::ostringstream quiet;
  ProgressBar none(quiet, false, [&] { return now; });
  none.Start("Mastering b.iso", 1000);
  none.Update(500);
  none.Finish();
  EXPECT_EQ(quiet.str(), "");

  std::ostringstream terminal;
  ProgressBar bar(terminal, true, [&] { return now; });
  bar.Start("Mastering b.iso", 1000);
  EXPECT_EQ(terminal.str(), "\rMastering b.iso  0 B of 1000 B  0%");
  now = 0.05;
  bar.Update(10);  // too soon after the last drawing: not drawn
  EXPECT_EQ(terminal.str(), "\rMastering b.iso  0 B of 1000 B  0%");
  now = 1;
  bar.Update(1000);
  const std::string done = "Mastering b.iso  1000 B of 1000 B  100%  1000 B/s";
  EXPECT_EQ(terminal.str(), "\rMastering b.iso  0 B of 1000 B  0%\r" + done);
  terminal.str("");
  bar.Finish();  // the line is blanked, for what follows to start at its start
  EXPECT_EQ(terminal.str(), "\r" + std::string(done.size(), ' ') + "\r");
}

}  // namespace
}  // namespace kestrune::cli
