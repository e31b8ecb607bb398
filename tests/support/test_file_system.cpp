#include "test_file_system.h"

#include <span>
#include <utility>

namespace kestrune::test {

using Kind = JournalEntry::Kind;

template <typename Change>
std::error_code TestFileSystem::Made(Change change, Kind kind, const std::string& path, const std::string& to) {
  if (const std::error_code injected = NextChange()) return injected;
  if (const std::error_code error = change()) return error;
  Journal(kind, path, to);
  return {};
}

// A new file whose write and data flush are changes like the others.
class TestFileSystem::WatchedNewFile final : public NewFile {
 public:
  WatchedNewFile(TestFileSystem& files, std::unique_ptr<NewFile> inner, std::string path)
      : files_(files), inner_(std::move(inner)), path_(std::move(path)) {}

  std::error_code Write(std::span<const std::uint8_t> bytes) override {
    if (const std::error_code injected = files_.NextChange()) return injected;
    if (const std::error_code error = inner_->Write(bytes)) return error;
    files_.Journal(Kind::kCreate, path_, {}, std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    return {};
  }

  std::error_code FlushData() override {
    if (files_.LeaveOutThisFlush()) return {};
    return files_.Made([&] { return inner_->FlushData(); }, Kind::kFlushFile, path_);
  }

  std::error_code Close() override { return inner_->Close(); }

 private:
  TestFileSystem& files_;
  std::unique_ptr<NewFile> inner_;
  std::string path_;
};

void TestFileSystem::FailOperation(long failAt, std::errc error) {
  operations_ = 0;
  failAt_ = failAt;
  failWith_ = error;
}

void TestFileSystem::StartJournal() {
  journaling_ = true;
  journal_.clear();
}

std::vector<JournalEntry> TestFileSystem::StopJournal() {
  journaling_ = false;
  return std::exchange(journal_, {});
}

void TestFileSystem::LeaveOutFlush(long leaveOut) {
  flushes_ = 0;
  leaveOut_ = leaveOut;
}

std::error_code TestFileSystem::NextChange() {
  if (++operations_ != failAt_) return {};
  return std::make_error_code(failWith_);
}

bool TestFileSystem::LeaveOutThisFlush() {
  ++flushes_;
  return leaveOut_ == flushes_ || leaveOut_ == kEveryFlush;
}

void TestFileSystem::Journal(Kind kind, const std::string& path, const std::string& to,
                             std::vector<std::uint8_t> bytes) {
  if (journaling_) journal_.push_back({kind, path, to, std::move(bytes)});
}

bool TestFileSystem::FileExists(const std::string& path) { return inner_.FileExists(path); }

bool TestFileSystem::FolderExists(const std::string& path) { return inner_.FolderExists(path); }

std::optional<std::int64_t> TestFileSystem::EntrySize(const std::string& path) { return inner_.EntrySize(path); }

bool TestFileSystem::CanOpenForReading(const std::string& path) { return inner_.CanOpenForReading(path); }

bool TestFileSystem::ReadWholeFile(const std::string& path, std::int64_t maxBytes, std::vector<std::uint8_t>& bytes,
                                   bool& tooBig, std::error_code& error) {
  return inner_.ReadWholeFile(path, maxBytes, bytes, tooBig, error);
}

bool TestFileSystem::ReadFileRange(const std::string& path, std::int64_t offset, std::int64_t length,
                                   std::vector<std::uint8_t>& bytes, std::error_code& error) {
  return inner_.ReadFileRange(path, offset, length, bytes, error);
}

std::optional<std::vector<std::string>> TestFileSystem::ListFolder(const std::string& dir) {
  return inner_.ListFolder(dir);
}

std::optional<std::int64_t> TestFileSystem::ReadableFileSize(const std::string& path) {
  return inner_.ReadableFileSize(path);
}

std::optional<std::int64_t> TestFileSystem::FreeBytes(const std::string& dir) {
  return freeBytes_ ? freeBytes_ : inner_.FreeBytes(dir);
}

std::unique_ptr<NewFile> TestFileSystem::CreateNew(const std::string& path, std::error_code& error) {
  if ((error = NextChange())) return nullptr;
  std::unique_ptr<NewFile> file = inner_.CreateNew(path, error);
  if (!file) return nullptr;
  // Journaled with its bytes once they are written.
  return std::make_unique<WatchedNewFile>(*this, std::move(file), path);
}

std::error_code TestFileSystem::FlushFile(const std::string& path) {
  if (LeaveOutThisFlush()) return {};
  return Made([&] { return inner_.FlushFile(path); }, Kind::kFlushFile, path);
}

void TestFileSystem::StartFlush(const std::string& path) { inner_.StartFlush(path); }

std::error_code TestFileSystem::FlushFolder(const std::string& dir) {
  if (LeaveOutThisFlush()) return {};
  return Made([&] { return inner_.FlushFolder(dir); }, Kind::kFlushFolder, dir);
}

std::error_code TestFileSystem::Rename(const std::string& from, const std::string& to) {
  return Made([&] { return inner_.Rename(from, to); }, Kind::kRename, from, to);
}

std::error_code TestFileSystem::RenameNoReplace(const std::string& from, const std::string& to) {
  return Made([&] { return inner_.RenameNoReplace(from, to); }, Kind::kRename, from, to);
}

std::error_code TestFileSystem::Delete(const std::string& path) {
  return Made([&] { return inner_.Delete(path); }, Kind::kDelete, path);
}

void TestFileSystem::Discard(const std::string& path) { inner_.Discard(path); }

std::error_code TestFileSystem::CreateFolder(const std::string& dir) {
  if (const std::error_code injected = NextChange()) return injected;
  return inner_.CreateFolder(dir);
}

void TestFileSystem::DiscardFolder(const std::string& dir) { inner_.DiscardFolder(dir); }

}  // namespace kestrune::test
