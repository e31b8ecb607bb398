// Progress of long work on standard error, when standard error is a
// terminal: one line rewritten in place ("pictures: 12 of 198"), cleared
// when the work ends. Nothing at all when standard error is not a terminal
// (a file, a pipe) or the stream is not standard error.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

namespace kestrune {

class TerminalProgress {
 public:
  TerminalProgress(std::ostream& err, std::string what);
  ~TerminalProgress();
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;
  void Show(std::size_t done, std::size_t total);

 private:
  std::ostream& err_;
  std::string what_;
  bool shown_ = false;
  bool terminal_ = false;
};

}  // namespace kestrune
