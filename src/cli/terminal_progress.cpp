#include "terminal_progress.h"

#include <cstdio>
#include <iostream>
#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace kestrune {

namespace {

bool StandardErrorIsTerminal() {
#if defined(_WIN32)
  return _isatty(_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) != 0;
#endif
}

}  // namespace

TerminalProgress::TerminalProgress(std::ostream& err, std::string what)
    : err_(err), what_(std::move(what)), terminal_(&err == &std::cerr && StandardErrorIsTerminal()) {}

TerminalProgress::~TerminalProgress() {
  if (shown_) err_ << "\r\033[K" << std::flush;
}

void TerminalProgress::Show(std::size_t done, std::size_t total) {
  if (!terminal_) return;
  err_ << '\r' << what_ << ": " << done << " of " << total << std::flush;
  shown_ = true;
}

}  // namespace kestrune
