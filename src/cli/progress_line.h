// The progress of long work (reading and writing every VOB of a set) as one
// line on a terminal's standard error, written over as it goes; nothing at
// all when standard error is not a terminal, or is not where `err` writes.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <string>

namespace kestrune {

// A callback for strip::StripOptions::progress, or an empty one when there
// is no terminal to show it on. The line is cleared when `Done` is called.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err);
  std::function<void(const std::string& what, std::int64_t done, std::int64_t total)> Callback();
  void Done();

 private:
  std::ostream* terminal_ = nullptr;  // null when nothing is shown
  int lastPercent_ = -1;
  std::string lastWhat_;
  bool shown_ = false;
};

}  // namespace kestrune
