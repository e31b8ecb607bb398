// The file system in use: the system's, or the one a UseFileSystem guard put
// in its place.
#include "file_system.h"

#include <atomic>

namespace kestrune {

namespace {

// Set only while a guard lives; none means the system's.
std::atomic<FileSystem*> gInUse{nullptr};

}  // namespace

FileSystem& CurrentFileSystem() {
  FileSystem* files = gInUse.load(std::memory_order_acquire);
  return files ? *files : SystemFileSystem();
}

UseFileSystem::UseFileSystem(FileSystem& files) : previous_(gInUse.exchange(&files, std::memory_order_acq_rel)) {}

UseFileSystem::~UseFileSystem() { gInUse.store(previous_, std::memory_order_release); }

}  // namespace kestrune
