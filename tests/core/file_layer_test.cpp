// The file layer's writes and flushes: what a failure leaves, what reaches
// the journal, and which names are its temporary ones.
#include "file_layer.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "dvd_files.h"
#include "file_system.h"
#include "temp_folder.h"
#include "test_file_system.h"

namespace kestrune {
namespace {

using Kind = test::JournalEntry::Kind;
using test::ReadBytes;
using test::Snapshot;
using test::TempFolder;
using test::WriteBytes;

class FileLayer : public ::testing::Test {
 protected:
  TempFolder f;
  test::TestFileSystem files;  // in use until the test ends
};

// Create, write, flush, rename: a failure at any of them leaves the old file
// as it was and no temporary file, and names the file and the reason. A copy
// is made the same way, and nothing else it does counts as a change.
TEST_F(FileLayer, AFailedReplaceLeavesTheOldFile) {
  TempFolder elsewhere;
  WriteBytes(elsewhere / "VTS_01_0.BUP", {3});
  const std::pair<const char*, std::function<void()>> replaces[] = {
      {"write", [&] { WriteFileReplacing(f / "VTS_01_0.IFO", {3}); }},
      {"copy", [&] { CopyFileReplacing(elsewhere / "VTS_01_0.BUP", f / "VTS_01_0.IFO"); }}};
  for (const auto& [what, replace] : replaces) {
    for (long n = 1; n <= 4; ++n) {
      WriteBytes(f / "VTS_01_0.IFO", {1, 2});
      files.FailOperation(n, std::errc::io_error);
      try {
        replace();
        ADD_FAILURE() << what << ": operation " << n << " did not fail";
      } catch (const FileError& e) {
        EXPECT_EQ(e.Path(), f / "VTS_01_0.IFO");
        EXPECT_EQ(e.Code(), std::errc::io_error);
        if (n == 3) {
          EXPECT_EQ(std::string(e.what()).rfind("Can't flush", 0), 0u) << e.what();
        }
      }
      EXPECT_EQ(Snapshot(f.Dir()), (std::map<std::string, std::vector<std::uint8_t>>{{"VTS_01_0.IFO", {1, 2}}}))
          << what << ": operation " << n;
    }
    files.FailOperation(0);
    replace();
    EXPECT_EQ(files.OperationsSoFar(), 4) << what;
    EXPECT_EQ(ReadBytes(f / "VTS_01_0.IFO"), std::vector<std::uint8_t>{3}) << what;
  }
}

// A rename or deletion that fails gives its reason in errno, as the system's
// own failures do, and changes nothing.
TEST_F(FileLayer, AFailedRenameOrDeletionChangesNothing) {
  WriteBytes(f / "VTS_01_1.VOB", {1});
  const std::pair<const char*, std::function<bool()>> changes[] = {
      {"rename", [&] { return RenameNoReplace(f / "VTS_01_1.VOB", f / "VTS_01_1.VOB~"); }},
      {"delete", [&] { return DeleteFile(f / "VTS_01_1.VOB"); }}};
  for (const auto& [what, change] : changes) {
    files.FailOperation(1, std::errc::io_error);
    errno = 0;
    EXPECT_FALSE(change()) << what;
    EXPECT_EQ(errno, EIO) << what;
    EXPECT_EQ(Snapshot(f.Dir()), (std::map<std::string, std::vector<std::uint8_t>>{{"VTS_01_1.VOB", {1}}})) << what;
  }
}

TEST_F(FileLayer, JournalsWhatReachesTheDiskInOrder) {
  WriteBytes(f / "VTS_01_1.VOB", {9});
  files.StartJournal();
  files.LeaveOutFlush(0);
  WriteFileReplacing(f / "VTS_01_0.IFO", {1}, DataFlush::kBeforeRename);
  WriteFileReplacing(f / "VTS_01_0.BUP", {2}, DataFlush::kLater);
  EXPECT_TRUE(RenameNoReplace(f / "VTS_01_1.VOB", f / "VTS_01_1.VOB~"));
  EXPECT_FALSE(RenameNoReplace(f / "VTS_01_0.IFO", f / "VTS_01_0.BUP"));  // never replaces
  EXPECT_EQ(errno, EEXIST);
  EXPECT_TRUE(DeleteFile(f / "VTS_01_1.VOB~"));
  FlushFile(f / "VTS_01_0.BUP");
  FlushFolder(f.Dir());
  EXPECT_EQ(files.Flushes(), 3);
  const auto journal = files.StopJournal();
  const std::string ifoTemp = TemporaryNameFor(f / "VTS_01_0.IFO");
  const std::string bupTemp = TemporaryNameFor(f / "VTS_01_0.BUP");
  const std::vector<std::pair<Kind, std::string>> expected = {
      {Kind::kCreate, ifoTemp},       {Kind::kFlushFile, ifoTemp},          {Kind::kRename, ifoTemp},
      {Kind::kCreate, bupTemp},       {Kind::kRename, bupTemp},             {Kind::kRename, f / "VTS_01_1.VOB"},
      {Kind::kDelete, f / "VTS_01_1.VOB~"}, {Kind::kFlushFile, f / "VTS_01_0.BUP"}, {Kind::kFlushFolder, f.Dir()}};
  ASSERT_EQ(journal.size(), expected.size());
  for (std::size_t i = 0; i < journal.size(); ++i) {
    EXPECT_EQ(journal[i].kind, expected[i].first) << i;
    EXPECT_EQ(journal[i].path, expected[i].second) << i;
  }
  EXPECT_EQ(journal[0].bytes, std::vector<std::uint8_t>{1});
  EXPECT_EQ(journal[2].to, f / "VTS_01_0.IFO");
  EXPECT_EQ(ReadBytes(f / "VTS_01_0.BUP"), std::vector<std::uint8_t>{2});
}

// File and folder flushes are counted together; the one left out, or every
// one, is neither made nor journaled.
TEST_F(FileLayer, LeavesOutTheFlushATestAsksFor) {
  const std::pair<long, int> cases[] = {{0, 3}, {2, 2}, {test::TestFileSystem::kEveryFlush, 0}};
  for (const auto& [leaveOut, made] : cases) {
    files.StartJournal();
    files.LeaveOutFlush(leaveOut);
    WriteFileReplacing(f / "A", {1});
    WriteFileReplacing(f / "B", {2});
    FlushFolder(f.Dir());
    EXPECT_EQ(files.Flushes(), 3);
    const auto journal = files.StopJournal();
    int flushes = 0;
    for (const auto& e : journal) flushes += e.kind == Kind::kFlushFile || e.kind == Kind::kFlushFolder;
    EXPECT_EQ(flushes, made) << "leaving out " << leaveOut;
  }
}

TEST_F(FileLayer, ReadsARangeUpToTheFilesEnd) {
  WriteBytes(f / "VTS_01_1.VOB", {0, 1, 2, 3, 4, 5});
  std::vector<std::uint8_t> bytes;
  std::error_code error;
  ASSERT_TRUE(ReadFileRange(f / "VTS_01_1.VOB", 2, 3, bytes, error));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{2, 3, 4}));
  ASSERT_TRUE(ReadFileRange(f / "VTS_01_1.VOB", 4, 100, bytes, error));
  EXPECT_EQ(bytes, (std::vector<std::uint8_t>{4, 5}));
  ASSERT_TRUE(ReadFileRange(f / "VTS_01_1.VOB", 10, 2, bytes, error));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(ReadFileRange(f / "MISSING.VOB", 0, 1, bytes, error));
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
}

// Files copied from a disc keep its read-only mark. Like POSIX, where a file's
// own mode does not stop a rename over it or its deletion, the read-only
// attribute of Windows stops neither.
TEST_F(FileLayer, ReplacesAndDeletesReadOnlyFiles) {
  namespace fs = std::filesystem;
  const auto readOnly = [](const std::string& path) {
    fs::permissions(test::Native(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  };
  WriteBytes(f / "VIDEO_TS.IFO", {1});
  WriteBytes(f / "VTS_01_2.VOB", {2});
  readOnly(f / "VIDEO_TS.IFO");
  readOnly(f / "VTS_01_2.VOB");
  WriteFileReplacing(f / "VIDEO_TS.IFO", {3});
  EXPECT_EQ(ReadBytes(f / "VIDEO_TS.IFO"), std::vector<std::uint8_t>{3});
  EXPECT_TRUE(DeleteFile(f / "VTS_01_2.VOB"));
  EXPECT_FALSE(FileExists(f / "VTS_01_2.VOB"));
  // A folder is never deleted as a file.
  test::MakeFolder(f / "VTS_01_3.VOB");
  EXPECT_FALSE(DeleteFile(f / "VTS_01_3.VOB"));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_TRUE(FolderExists(f / "VTS_01_3.VOB"));
}

// A copy (of a read-only original too) is flushed before it takes its name.
TEST_F(FileLayer, CopiesThroughATemporaryFile) {
  namespace fs = std::filesystem;
  WriteBytes(f / "VIDEO_TS.IFO", {4, 5, 6});
  WriteBytes(f / "VIDEO_TS.IFO~", {9});
  fs::permissions(test::Native(f / "VIDEO_TS.IFO"), fs::perms::owner_write, fs::perm_options::remove);
  files.StartJournal();
  CopyFileReplacing(f / "VIDEO_TS.IFO", f / "VIDEO_TS.IFO~");
  const auto journal = files.StopJournal();
  EXPECT_EQ(ReadBytes(f / "VIDEO_TS.IFO~"), (std::vector<std::uint8_t>{4, 5, 6}));
  ASSERT_EQ(journal.size(), 3u);
  EXPECT_EQ(journal[0].kind, Kind::kCreate);
  EXPECT_EQ(journal[0].bytes, (std::vector<std::uint8_t>{4, 5, 6}));
  EXPECT_EQ(journal[1].kind, Kind::kFlushFile);
  EXPECT_EQ(journal[2].kind, Kind::kRename);
  EXPECT_EQ(journal[2].to, f / "VIDEO_TS.IFO~");
  EXPECT_EQ(Snapshot(f.Dir()).size(), 2u);  // no temporary file left
  try {
    CopyFileReplacing(f / "MISSING.IFO", f / "VIDEO_TS.IFO~");
    ADD_FAILURE() << "copied a missing file";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Path(), f / "MISSING.IFO");
    EXPECT_EQ(e.Code(), std::errc::no_such_file_or_directory);
  }
}

// One holder at a time, however the folder is named; nothing of the lock is
// left in the folder once it is released.
TEST_F(FileLayer, LocksAFolderForOneHolderAtATime) {
  const auto before = Snapshot(f.Dir());
  {
    const FolderLock first(f.Dir());
    ASSERT_TRUE(first.Held());
    const std::string bare = f.Dir().substr(0, f.Dir().size() - 1);
    EXPECT_FALSE(FolderLock(bare).Held());
    EXPECT_FALSE(FolderLock(f.Dir()).Held());
  }
  EXPECT_TRUE(FolderLock(f.Dir()).Held());
  EXPECT_EQ(Snapshot(f.Dir()), before);
  EXPECT_EQ(ListFolder(f.Dir())->size(), 0u);
}

// Paths are UTF-8 text on every system.
TEST_F(FileLayer, TakesAndGivesNamesAsUtf8) {
  const std::string folder = f / "Film\xC3\xA9 \xC3\x9Cn\xC3\xAF" "code";
  ASSERT_TRUE(test::MakeFolder(folder));
  const std::string ifo = WithTrailingDelimiter(folder) + "VTS_01_0.IFO";
  WriteFileReplacing(ifo, {7, 8});
  EXPECT_TRUE(FolderExists(folder));
  EXPECT_TRUE(FileExists(ifo));
  EXPECT_EQ(EntrySize(ifo), 2);
  EXPECT_EQ(ListFolder(f.Dir()), std::vector<std::string>{"Film\xC3\xA9 \xC3\x9Cn\xC3\xAF" "code"});
  EXPECT_TRUE(RenameNoReplace(ifo, ifo + "~"));
  EXPECT_EQ(ReadBytes(ifo + "~"), (std::vector<std::uint8_t>{7, 8}));
#if defined(_WIN32)
  // Text that is not UTF-8 names no file (it is not turned into some other name).
  std::vector<std::uint8_t> bytes;
  bool tooBig = false;
  std::error_code error;
  EXPECT_FALSE(ReadWholeFile(f / "VTS\xFF.IFO", 100, bytes, tooBig, error));
  EXPECT_EQ(error, std::errc::illegal_byte_sequence);
  EXPECT_FALSE(FileExists(f / "VTS\xFF.IFO"));
#endif
}

// The system's file system is in use unless a guard puts another there, and
// each guard puts back the one it replaced: a test's file system never
// outlives the test.
TEST(FileSystemInUse, IsTheSystemsOutsideAGuard) {
  EXPECT_EQ(&CurrentFileSystem(), &SystemFileSystem());
  TempFolder f;
  {
    test::TestFileSystem outer;
    EXPECT_EQ(&CurrentFileSystem(), &outer);
    {
      FileSystem& wrapped = outer;
      test::TestFileSystem inner(wrapped);
      EXPECT_EQ(&CurrentFileSystem(), &inner);
      WriteFileReplacing(f / "VTS_01_0.IFO", {1});
      EXPECT_EQ(inner.OperationsSoFar(), 4);
      EXPECT_EQ(outer.OperationsSoFar(), 4);  // what the inner one wraps
    }
    EXPECT_EQ(&CurrentFileSystem(), &outer);
    EXPECT_TRUE(DeleteFile(f / "VTS_01_0.IFO"));
    EXPECT_EQ(outer.OperationsSoFar(), 5);
  }
  EXPECT_EQ(&CurrentFileSystem(), &SystemFileSystem());
}

// The folder text and the folder part of a path, with the system's delimiters.
TEST(PathText, AppendsAndEndsAtTheSystemsDelimiter) {
#if defined(_WIN32)
  EXPECT_EQ(WithTrailingDelimiter("C:\\DVD"), "C:\\DVD\\");
  EXPECT_EQ(WithTrailingDelimiter("C:\\DVD\\"), "C:\\DVD\\");
  EXPECT_EQ(WithTrailingDelimiter(""), "\\");
  EXPECT_EQ(FolderPartOf("C:\\DVD\\VIDEO_TS\\VTS_01_0.IFO"), "C:\\DVD\\VIDEO_TS\\");
  EXPECT_EQ(FolderPartOf("D:VTS_01_0.IFO"), "D:");
  EXPECT_EQ(FolderPartOf("\\\\server\\dvd\\VIDEO_TS.IFO"), "\\\\server\\dvd\\");
  EXPECT_EQ(TemporaryNameFor("C:\\DVD\\VTS_01_0.IFO"), "C:\\DVD\\.VTS_01_0.IFO.kestrune-part");
  EXPECT_EQ(TemporaryNameFor("C:VTS_01_0.IFO"), "C:.VTS_01_0.IFO.kestrune-part");
#else
  EXPECT_EQ(WithTrailingDelimiter("/media/dvd"), "/media/dvd/");
  EXPECT_EQ(WithTrailingDelimiter("/media/dvd/"), "/media/dvd/");
  EXPECT_EQ(WithTrailingDelimiter(""), "/");
  EXPECT_EQ(FolderPartOf("/media/dvd/VIDEO_TS/VTS_01_0.IFO"), "/media/dvd/VIDEO_TS/");
  EXPECT_EQ(FolderPartOf("C:VTS_01_0.IFO"), "");  // a colon is a name's own
#endif
  EXPECT_EQ(FolderPartOf("VTS_01_0.IFO"), "");
  EXPECT_EQ(TemporaryNameFor("VTS_01_0.IFO"), ".VTS_01_0.IFO.kestrune-part");
}

TEST(TemporaryName, IsHiddenAndRecognised) {
  EXPECT_EQ(TemporaryNameFor("/d/VIDEO_TS/VTS_01_0.IFO"), "/d/VIDEO_TS/.VTS_01_0.IFO.kestrune-part");
  EXPECT_TRUE(IsTemporaryName(".VTS_01_0.IFO.kestrune-part"));
  EXPECT_FALSE(IsTemporaryName("VTS_01_0.IFO.kestrune-part"));
  EXPECT_FALSE(IsTemporaryName(".kestrune-part"));
  EXPECT_FALSE(IsTemporaryName(".VTS_01_0.IFO"));
}

}  // namespace
}  // namespace kestrune
