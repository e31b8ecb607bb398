// What the POSIX and the Windows file layer share: the test hooks of
// file_layer.h (fault injection, the crash journal, flush counting) as each
// implementation calls them around its system calls, and the split of a path
// into its folder and its name. Included only by the file layer itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>

#include "file_layer.h"

namespace kestrune::file_layer_hooks {

// Counts one operation that changes a file (create, write, flush, rename,
// delete). Empty, or the error a test asked this operation to fail with.
std::error_code NextChange();

// Counts one flush (of a file's data or of a folder). True when a test asks
// for this flush to be left out: it is then neither made nor journaled.
bool LeaveOutFlush();

// Records one entry of the crash journal while a test journals.
void Journal(crash_journal::Entry::Kind kind, const std::string& path, const std::string& to = {},
             const std::uint8_t* data = nullptr, std::size_t length = 0);
// True while a test journals (a copy then reads the bytes it journals).
bool Journaling();

// Where the name of `path` starts: after its last path delimiter. On Windows
// "/" and the ":" of a drive ("C:NAME") end a folder part as well.
std::size_t NameStart(const std::string& path);

}  // namespace kestrune::file_layer_hooks
