// Progress of long work as one line on a terminal's standard error, redrawn
// in place: what is done of how much, the rate and the time left. Nothing is
// drawn when standard error is not a terminal (a log file, a pipe, a test).
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

#include "progress.h"

namespace kestrune::cli {

class ProgressBar : public Progress {
 public:
  using Clock = std::function<double()>;  // seconds, from any start
  // Draws on `err` only when `terminal`.
  ProgressBar(std::ostream& err, bool terminal, Clock clock = SteadySeconds);
  ~ProgressBar() override { Finish(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;
  void Start(const std::string& what, std::int64_t totalBytes) override;
  // Work counted in things, not bytes ("Pictures  12 of 198  6%  0:03 left").
  void StartCounting(const std::string& what, std::int64_t total);
  void Update(std::int64_t doneBytes) override;
  void Finish() override;

  // The line: "Extracting movie.iso  412.0 MiB of 1.0 GiB  40%  250.1 MiB/s  0:03 left";
  // of things counted, "Pictures  12 of 198  6%  0:03 left".
  static std::string Line(const std::string& what, std::int64_t done, std::int64_t total, double seconds,
                          bool counting = false);
  static double SteadySeconds();

 private:
  void Begin(const std::string& what, std::int64_t total, bool counting);
  void Draw(bool force);

  std::ostream& err_;
  bool terminal_;
  Clock clock_;
  std::string what_;
  std::int64_t total_ = 0, done_ = 0;
  bool counting_ = false;
  double started_ = 0, drawn_ = -1;
  std::size_t width_ = 0;  // of the line drawn last, to blank it
};

// True when `err` is the process's standard error and that is a terminal.
bool IsTerminal(const std::ostream& err);

}  // namespace kestrune::cli
