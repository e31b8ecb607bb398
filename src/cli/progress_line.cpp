#include "progress_line.h"

#include <cstdio>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#define KESTRUNE_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define KESTRUNE_ISATTY(fd) isatty(fd)
#endif

namespace kestrune {

ProgressLine::ProgressLine(std::ostream& err) {
  if (&err == &std::cerr && KESTRUNE_ISATTY(2)) terminal_ = &err;
}

std::function<void(const std::string&, std::int64_t, std::int64_t)> ProgressLine::Callback() {
  if (terminal_ == nullptr) return {};
  return [this](const std::string& what, std::int64_t done, std::int64_t total) {
    const int percent = total > 0 ? static_cast<int>(100 * done / total) : 100;
    if (percent == lastPercent_ && what == lastWhat_) return;
    lastPercent_ = percent;
    lastWhat_ = what;
    *terminal_ << '\r' << what << ": " << percent << "%   " << std::flush;
    shown_ = true;
  };
}

void ProgressLine::Done() {
  if (terminal_ != nullptr && shown_) *terminal_ << "\r\033[K" << std::flush;
  shown_ = false;
}

}  // namespace kestrune
