// The file layer's writes and flushes: what a failure leaves, what reaches
// the journal, and which names are its temporary ones.
#include "file_layer.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace kestrune {
namespace {

using Kind = crash_journal::Entry::Kind;
using test::ReadBytes;
using test::Snapshot;
using test::TempFolder;
using test::WriteBytes;

class FileLayer : public ::testing::Test {
 protected:
  void TearDown() override {
    fault_injection::FailOperation(0);
    flush_testing::Reset();
    crash_journal::Stop();
  }
  TempFolder f;
};

// Create, write, flush, rename: a failure at any of them leaves the old file
// as it was and no temporary file, and names the file and the reason.
TEST_F(FileLayer, AFailedReplaceLeavesTheOldFile) {
  for (long n = 1; n <= 4; ++n) {
    WriteBytes(f / "VTS_01_0.IFO", {1, 2});
    fault_injection::FailOperation(n, std::errc::io_error);
    try {
      WriteFileReplacing(f / "VTS_01_0.IFO", {3});
      ADD_FAILURE() << "operation " << n << " did not fail";
    } catch (const FileError& e) {
      EXPECT_EQ(e.Path(), f / "VTS_01_0.IFO");
      EXPECT_EQ(e.Code(), std::errc::io_error);
      if (n == 3) {
        EXPECT_EQ(std::string(e.what()).rfind("Can't flush", 0), 0u) << e.what();
      }
    }
    EXPECT_EQ(Snapshot(f.Dir()), (std::map<std::string, std::vector<std::uint8_t>>{{"VTS_01_0.IFO", {1, 2}}}))
        << "operation " << n;
  }
}

TEST_F(FileLayer, JournalsWhatReachesTheDiskInOrder) {
  WriteBytes(f / "VTS_01_1.VOB", {9});
  crash_journal::Start();
  flush_testing::Reset();
  WriteFileReplacing(f / "VTS_01_0.IFO", {1}, DataFlush::kBeforeRename);
  WriteFileReplacing(f / "VTS_01_0.BUP", {2}, DataFlush::kLater);
  EXPECT_TRUE(RenameNoReplace(f / "VTS_01_1.VOB", f / "VTS_01_1.VOB~"));
  EXPECT_FALSE(RenameNoReplace(f / "VTS_01_0.IFO", f / "VTS_01_0.BUP"));  // never replaces
  EXPECT_EQ(errno, EEXIST);
  EXPECT_TRUE(DeleteFile(f / "VTS_01_1.VOB~"));
  FlushFile(f / "VTS_01_0.BUP");
  FlushFolder(f.Dir());
  EXPECT_EQ(flush_testing::Count(), 3);
  const auto journal = crash_journal::Stop();
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

TEST_F(FileLayer, LeavesOutTheFlushATestAsksFor) {
  crash_journal::Start();
  flush_testing::Reset(2);
  WriteFileReplacing(f / "A", {1});
  WriteFileReplacing(f / "B", {2});
  FlushFolder(f.Dir());
  EXPECT_EQ(flush_testing::Count(), 3);
  const auto journal = crash_journal::Stop();
  int flushes = 0;
  for (const auto& e : journal) flushes += e.kind == Kind::kFlushFile || e.kind == Kind::kFlushFolder;
  EXPECT_EQ(flushes, 2);
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

TEST(TemporaryName, IsHiddenAndRecognised) {
  EXPECT_EQ(TemporaryNameFor("/d/VIDEO_TS/VTS_01_0.IFO"), "/d/VIDEO_TS/.VTS_01_0.IFO.kestrune-part");
  EXPECT_TRUE(IsTemporaryName(".VTS_01_0.IFO.kestrune-part"));
  EXPECT_FALSE(IsTemporaryName("VTS_01_0.IFO.kestrune-part"));
  EXPECT_FALSE(IsTemporaryName(".kestrune-part"));
  EXPECT_FALSE(IsTemporaryName(".VTS_01_0.IFO"));
}

}  // namespace
}  // namespace kestrune
