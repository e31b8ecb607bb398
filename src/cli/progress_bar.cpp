#include "progress_bar.h"

#include <cstdio>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kestrune::cli {

namespace {

constexpr double kRedrawSeconds = 0.1;

std::string Size(std::int64_t bytes) {
  const char* units[] = {"B", "KiB", "MiB", "GiB", "TiB"};
  double value = static_cast<double>(bytes);
  int unit = 0;
  while (value >= 1024 && unit < 4) {
    value /= 1024;
    ++unit;
  }
  char text[32];
  std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", value, units[unit]);
  return text;
}

std::string ClockTime(double seconds) {
  const long s = static_cast<long>(seconds + 0.5);
  char text[32];
  if (s >= 3600)
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", s / 3600, s / 60 % 60, s % 60);
  else
    std::snprintf(text, sizeof text, "%ld:%02ld", s / 60, s % 60);
  return text;
}

}  // namespace

double ProgressBar::SteadySeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool IsTerminal(const std::ostream& err) {
  if (&err != &std::cerr) return false;
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) != 0;
#endif
}

ProgressBar::ProgressBar(std::ostream& err, bool terminal, Clock clock)
    : err_(err), terminal_(terminal), clock_(std::move(clock)) {}

std::string ProgressBar::Line(const std::string& what, std::int64_t done, std::int64_t total, double seconds,
                              bool counting) {
  const auto amount = [&](std::int64_t n) { return counting ? std::to_string(n) : Size(n); };
  std::string line = what + "  " + amount(done);
  if (total > 0) line += " of " + amount(total) + "  " + std::to_string(done * 100 / total) + "%";
  if (seconds > 0 && done > 0) {
    const double rate = static_cast<double>(done) / seconds;
    if (!counting) line += "  " + Size(static_cast<std::int64_t>(rate)) + "/s";
    if (total > done) line += "  " + ClockTime(static_cast<double>(total - done) / rate) + " left";
  }
  return line;
}

void ProgressBar::Start(const std::string& what, std::int64_t totalBytes) { Begin(what, totalBytes, false); }

void ProgressBar::StartCounting(const std::string& what, std::int64_t total) { Begin(what, total, true); }

void ProgressBar::Begin(const std::string& what, std::int64_t totalBytes, bool counting) {
  if (width_ > 0) Finish();  // the line of the work before
  counting_ = counting;
  what_ = what;
  total_ = totalBytes;
  done_ = 0;
  started_ = clock_();
  drawn_ = -1;
  Draw(true);
}

void ProgressBar::Update(std::int64_t doneBytes) {
  done_ = doneBytes;
  Draw(false);
}

void ProgressBar::Draw(bool force) {
  if (!terminal_) return;
  const double now = clock_();
  if (!force && drawn_ >= 0 && now - drawn_ < kRedrawSeconds) return;
  drawn_ = now;
  const std::string line = Line(what_, done_, total_, now - started_, counting_);
  err_ << '\r' << line;
  if (line.size() < width_) err_ << std::string(width_ - line.size(), ' ');
  width_ = line.size();
  err_.flush();
}

void ProgressBar::Finish() {
  if (!terminal_ || width_ == 0) return;
  // The bar goes; what the command says next starts at the line's start.
  err_ << '\r' << std::string(width_, ' ') << '\r';
  err_.flush();
  width_ = 0;
}

}  // namespace kestrune::cli
