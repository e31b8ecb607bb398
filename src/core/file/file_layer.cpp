// The parts of the file layer that are the same on every system: its errors,
// its temporary names and the test hooks (fault injection, crash journal,
// flush counting). The system calls are in platform/posix and platform/win32.
#include "file_layer.h"

#include <utility>

#include "file_layer_hooks.h"

namespace kestrune {

namespace {

constexpr char kTemporarySuffix[] = ".kestrune-part";

long gOperations = 0;
long gFailAt = 0;
std::errc gFailWith = std::errc::no_space_on_device;

bool gJournaling = false;
std::vector<crash_journal::Entry> gJournal;

long gFlushes = 0;
long gLeaveOutFlush = 0;

}  // namespace

namespace file_layer_hooks {

std::error_code NextChange() {
  if (++gOperations != gFailAt) return {};
  return std::make_error_code(gFailWith);
}

bool LeaveOutFlush() {
  ++gFlushes;
  return gLeaveOutFlush == gFlushes || gLeaveOutFlush == flush_testing::kEveryFlush;
}

void Journal(crash_journal::Entry::Kind kind, const std::string& path, const std::string& to,
             const std::uint8_t* data, std::size_t length) {
  if (!gJournaling) return;
  gJournal.push_back({kind, path, to, std::vector<std::uint8_t>(data, data + length)});
}

bool Journaling() { return gJournaling; }

std::size_t NameStart(const std::string& path) {
#if defined(_WIN32)
  const auto delimiter = path.find_last_of("\\/:");
#else
  const auto delimiter = path.rfind('/');
#endif
  return delimiter == std::string::npos ? 0 : delimiter + 1;
}

}  // namespace file_layer_hooks

namespace crash_journal {
void Start() {
  gJournaling = true;
  gJournal.clear();
}
std::vector<Entry> Stop() {
  gJournaling = false;
  return std::exchange(gJournal, {});
}
}  // namespace crash_journal

namespace flush_testing {
void Reset(long leaveOut) {
  gFlushes = 0;
  gLeaveOutFlush = leaveOut;
}
long Count() { return gFlushes; }
}  // namespace flush_testing

namespace fault_injection {
void FailOperation(long failAt, std::errc error) {
  gOperations = 0;
  gFailAt = failAt;
  gFailWith = error;
}
long OperationsSoFar() { return gOperations; }
}  // namespace fault_injection

FileError::FileError(const std::string& path, const std::string& action, std::error_code code)
    : std::runtime_error("Can't " + action + " \"" + path + "\": " + code.message()),
      path_(path),
      code_(code) {}

std::string TemporaryNameFor(const std::string& path) {
  // It starts with a dot and does not end in "~", so neither the folder scan
  // nor the backup commands take it for a DVD file or a backup.
  const std::size_t name = file_layer_hooks::NameStart(path);
  return path.substr(0, name) + "." + path.substr(name) + kTemporarySuffix;
}

bool IsTemporaryName(const std::string& name) {
  const std::size_t suffix = sizeof(kTemporarySuffix) - 1;
  return name.size() > suffix + 1 && name[0] == '.' && name.compare(name.size() - suffix, suffix, kTemporarySuffix) == 0;
}

}  // namespace kestrune
