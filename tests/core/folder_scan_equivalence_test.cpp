// The folder scan reads its folder once and opens only the files its listing
// holds. These tests hold its rows against the rows as they are defined: each
// of the 1 + 99 x 11 names looked up on its own by full path, on many folder
// shapes (exact upper-case names, other spellings, folders and links under
// DVD names, files that cannot be opened, sizes past 32 bits).
#if !defined(_WIN32)
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "dvd_files.h"
#include "file_layer.h"
#include "folder_scan.h"
#include "locked_file.h"
#include "temp_folder.h"

namespace kestrune {
namespace {

using test::TempFolder;

constexpr std::int64_t kKilobyte = 1024;

// The rows as defined: a row for a file that exists (a folder does not count)
// and can be opened for reading; title video summed over the entries named
// VTS_nn_1.VOB to VTS_nn_9.VOB, whatever they are.
ScanRows RowsByLookup(const std::string& folderText, const std::string& dialogFileName, bool autoCheck) {
  ScanRows rows;
  const std::string d = WithTrailingDelimiter(folderText);
  auto checkedFor = [&](const std::string& ifoPath) { return autoCheck && ifoPath == dialogFileName; };
  auto readableSize = [](const std::string& path) -> std::optional<std::int64_t> {
    if (!FileExists(path)) return std::nullopt;
    return ReadableFileSize(path);
  };
  auto kb = [](std::int64_t bytes) { return std::to_string(bytes / kKilobyte) + "KB"; };
  if (auto size = readableSize(d + "VIDEO_TS.VOB"); size && *size >= kKilobyte)
    rows.vmg.push_back({"VIDEO_TS.VOB  " + kb(*size), checkedFor(d + "VIDEO_TS.IFO")});
  for (int n = 1; n <= 99; ++n) {
    const std::string x = VtsPrefix(n);
    const std::string ifoPath = d + x + "0.IFO";
    if (readableSize(ifoPath)) {
      const std::int64_t total = GetVobSetSize(d + x);
      if (total >= kKilobyte) rows.videos.push_back({x + "*.VOB  " + kb(total), checkedFor(ifoPath)});
    }
    if (auto size = readableSize(d + x + "0.VOB"); size && *size >= kKilobyte)
      rows.menus.push_back({x + "0.VOB  " + kb(*size), checkedFor(ifoPath)});
  }
  return rows;
}

std::vector<std::pair<std::string, bool>> Flat(const ScanRows& rows) {
  std::vector<std::pair<std::string, bool>> flat;
  for (const auto* list : {&rows.vmg, &rows.videos, &rows.menus}) {
    for (const ScanRow& row : *list) flat.emplace_back(row.text, row.checked);
    flat.emplace_back("--", false);  // keeps the three lists apart
  }
  return flat;
}

// Both ways agree for every way of naming the folder and every dialog file.
void ExpectSameRows(const TempFolder& f, const std::string& shape) {
  const std::string bare = f.Dir().substr(0, f.Dir().size() - 1);
  const std::pair<std::string, bool> dialogs[] = {{"", false},
                                                   {f / "VTS_01_0.IFO", false},
                                                   {f / "VIDEO_TS.IFO", true},
                                                   {f / "VTS_01_0.IFO", true},
                                                   {f / "VTS_07_0.IFO", true},
                                                   {f / "vts_07_0.ifo", true}};
  for (const auto& [dialog, autoCheck] : dialogs) {
    for (const std::string& folderText : {f.Dir(), bare}) {
      EXPECT_EQ(Flat(FindTitleSetRows(folderText, dialog, autoCheck)),
                Flat(RowsByLookup(folderText, dialog, autoCheck)))
          << shape << ", folder text \"" << folderText << "\", dialog \"" << dialog << "\", autoCheck " << autoCheck;
    }
  }
}

void MakeFile(const std::string& path, std::int64_t size) {
  std::ofstream out(test::Native(path), std::ios::binary | std::ios::trunc);
  ASSERT_TRUE(out) << path;
  // Small files get real bytes, large ones are sparse.
  if (size <= 65536) {
    const std::vector<char> bytes(static_cast<std::size_t>(size), 'k');
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
  } else {
    out.close();
    std::filesystem::resize_file(test::Native(path), static_cast<std::uintmax_t>(size));
  }
}

// Files held open without sharing (Windows) for as long as a test runs; made
// after its scratch folder, so released before the folder goes.
#if defined(_WIN32)
using HeldFiles = std::vector<std::unique_ptr<test::LockedFile>>;
#else
struct HeldFiles {};
#endif

#if !defined(_WIN32)
// A socket under a file name cannot be opened, not even by root.
void MakeSocket(const std::string& path) {
  const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(s, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path) << path;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << path;
  ::close(s);
}
#endif

// What an entry under a DVD name (or another spelling of it) can be.
enum class Shape {
  kFile,
  kLargeFile,       // sparse, past 32 bits
  kFolder,
#if defined(_WIN32)
  kHeldWithoutSharing,  // open in another program with share mode 0
  kReadOnly,            // the read-only attribute: still readable
#else
  kLinkToFile,
  kLinkToFolder,
  kDanglingLink,
  kLinkLoop,
  kSocket,
  kFifo,
  kNoPermission,    // unreadable unless the tests run as root
#endif
  kCount,
};

void MakeEntry(const TempFolder& f, const std::string& name, Shape shape, std::mt19937& random,
               [[maybe_unused]] HeldFiles& held) {
  const std::string path = f / name;
  const std::int64_t sizes[] = {0, 1, 1023, 1024, 1025, 2048, 10240, 155648};
  switch (shape) {
    case Shape::kFile:
      MakeFile(path, sizes[random() % std::size(sizes)]);
      break;
    case Shape::kLargeFile:
      MakeFile(path, (std::int64_t{1} << 31) + static_cast<std::int64_t>(random() % 4) * (std::int64_t{1} << 30) +
                         static_cast<std::int64_t>(random() % 3000));
      break;
    case Shape::kFolder:
      ASSERT_TRUE(test::MakeFolder(path));
      break;
#if defined(_WIN32)
    case Shape::kHeldWithoutSharing:
      MakeFile(path, sizes[random() % std::size(sizes)]);
      held.push_back(std::make_unique<test::LockedFile>(path));
      ASSERT_TRUE(held.back()->Held()) << path;
      break;
    case Shape::kReadOnly:
      MakeFile(path, sizes[random() % std::size(sizes)]);
      std::filesystem::permissions(test::Native(path), std::filesystem::perms::owner_write |
                                                           std::filesystem::perms::group_write |
                                                           std::filesystem::perms::others_write,
                                   std::filesystem::perm_options::remove);
      break;
#else
    case Shape::kLinkToFile:
      MakeFile(f / (name + ".target"), sizes[random() % std::size(sizes)]);
      ASSERT_EQ(::symlink((name + ".target").c_str(), path.c_str()), 0);
      break;
    case Shape::kLinkToFolder:
      ASSERT_TRUE(test::MakeFolder(f / (name + ".dir")));
      ASSERT_EQ(::symlink((name + ".dir").c_str(), path.c_str()), 0);
      break;
    case Shape::kDanglingLink:
      ASSERT_EQ(::symlink("nowhere", path.c_str()), 0);
      break;
    case Shape::kLinkLoop:
      ASSERT_EQ(::symlink(name.c_str(), path.c_str()), 0);
      break;
    case Shape::kSocket:
      MakeSocket(path);
      break;
    case Shape::kFifo:
      ASSERT_EQ(::mkfifo(path.c_str(), 0644), 0);
      break;
    case Shape::kNoPermission:
      MakeFile(path, 4096);
      ASSERT_EQ(::chmod(path.c_str(), 0), 0);
      break;
#endif
    case Shape::kCount:
      break;
  }
}

// Another spelling of a DVD name: lower or mixed case, a backup, a name that
// only starts or ends like one, a title set number out of range.
std::string OtherSpelling(const std::string& name, std::mt19937& random) {
  std::string other = name;
  switch (random() % 6) {
    case 0:
      for (char& c : other) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    case 1:
      for (char& c : other)
        if (random() % 2) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      break;
    case 2:
      other += "~";
      break;
    case 3:
      other += ".bak";
      break;
    case 4:
      other = "x" + other;
      break;
    default:
      // The long s that some file systems upper-case to S.
      other.replace(other.find('S'), 1, "\xC5\xBF");
      break;
  }
  return other;
}

std::vector<std::string> DvdNames(int n) {
  const std::string x = VtsPrefix(n);
  std::vector<std::string> names = {x + "0.IFO", x + "0.BUP", x + "0.VOB"};
  for (int k = 1; k <= 9; ++k) names.push_back(x + std::to_string(k) + ".VOB");
  return names;
}

TEST(FolderScanEquivalence, RandomFolderShapesGiveTheRowsOfLookupsByName) {
  for (unsigned seed = 1; seed <= 30; ++seed) {
    std::mt19937 random(seed);
    TempFolder f;
    HeldFiles held;
    std::vector<std::string> names = {"VIDEO_TS.VOB", "VIDEO_TS.IFO", "VIDEO_TS.BUP"};
    // Title sets 1, 7 and 99 always take part, the others now and then.
    for (int n = 1; n <= 99; ++n) {
      if (n == 1 || n == 7 || n == 99 || random() % 8 == 0) {
        const std::vector<std::string> set = DvdNames(n);
        names.insert(names.end(), set.begin(), set.end());
      }
    }
    for (const std::string& name : names) {
      const unsigned roll = random() % 100;
      if (roll < 30) continue;  // absent
      if (roll < 70) {
        MakeEntry(f, name, Shape::kFile, random, held);
      } else if (roll < 85) {
        MakeEntry(f, name, static_cast<Shape>(random() % static_cast<unsigned>(Shape::kCount)), random, held);
      } else {
        const std::string other = OtherSpelling(name, random);
        if (!FileExists(f / other) && !FolderExists(f / other)) MakeEntry(f, other, Shape::kFile, random, held);
      }
    }
    ExpectSameRows(f, "seed " + std::to_string(seed));
  }
}

TEST(FolderScanEquivalence, EveryShapeUnderEveryKindOfName) {
  // One title set per shape, with the shape under its IFO, its menu VOB and
  // its first title VOB in turn, next to plain files under the other names.
  std::mt19937 random(7);
  for (int slot = 0; slot < 3; ++slot) {
    TempFolder f;
    HeldFiles held;
    for (int s = 0; s < static_cast<int>(Shape::kCount); ++s) {
      const int n = s + 1;
      const std::string x = VtsPrefix(n);
      const std::string names[] = {x + "0.IFO", x + "0.VOB", x + "1.VOB"};
      for (int i = 0; i < 3; ++i) {
        if (i == slot)
          MakeEntry(f, names[i], static_cast<Shape>(s), random, held);
        else
          MakeFile(f / names[i], 2048 * (n + i));
      }
      MakeFile(f / (x + "2.VOB"), 1024 * n);
    }
    MakeEntry(f, "VIDEO_TS.VOB", static_cast<Shape>(slot * 3 % static_cast<int>(Shape::kCount)), random, held);
    ExpectSameRows(f, "shape under name " + std::to_string(slot));
  }
}

TEST(FolderScanEquivalence, OnlyExactUpperCaseNamesMakeRows) {
  TempFolder f;
  MakeFile(f / "vts_01_0.ifo", 2048);
  MakeFile(f / "VTS_01_1.VOB", 4096);
  MakeFile(f / "VTS_02_0.IFO", 2048);
  MakeFile(f / "Vts_02_1.Vob", 4096);
  MakeFile(f / "VTS_02_2.VOB", 4096);
  MakeFile(f / "video_ts.vob", 4096);
  MakeFile(f / "VT\xC5\xBF_03_0.VOB", 4096);  // "ſ" for "S"
  MakeFile(f / "VTS_04_0.VOB~", 4096);
  MakeFile(f / "VTS_00_0.VOB", 4096);
  MakeFile(f / "VTS_100_0.VOB", 4096);
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
#if defined(_WIN32)
  // Windows finds every name whatever its case on disk; backups and names
  // that only look like DVD names still make no row. (Whether "ſ" is taken
  // for "S" is the file system's affair: ExpectSameRows holds either way.)
  ASSERT_EQ(rows.vmg.size(), 1U);
  EXPECT_EQ(rows.vmg[0].text, "VIDEO_TS.VOB  4KB");
  ASSERT_EQ(rows.videos.size(), 2U);
  EXPECT_EQ(rows.videos[0].text, "VTS_01_*.VOB  4KB");
  EXPECT_EQ(rows.videos[1].text, "VTS_02_*.VOB  8KB");
  for (const ScanRow& row : rows.menus) EXPECT_EQ(row.text, "VTS_03_0.VOB  4KB");
#else
  EXPECT_TRUE(rows.vmg.empty());
  ASSERT_EQ(rows.videos.size(), 1U);
  EXPECT_EQ(rows.videos[0].text, "VTS_02_*.VOB  4KB");
  EXPECT_TRUE(rows.menus.empty());
#endif
  ExpectSameRows(f, "spellings");
}

TEST(FolderScanEquivalence, SizesPastThirtyTwoBits) {
  TempFolder f;
  MakeFile(f / "VIDEO_TS.VOB", (std::int64_t{9} << 29) + 5);  // 4.5 GiB
  MakeFile(f / "VTS_01_0.IFO", 2048);
  MakeFile(f / "VTS_01_1.VOB", std::int64_t{1} << 30);
  MakeFile(f / "VTS_01_2.VOB", std::int64_t{1} << 30);
  MakeFile(f / "VTS_01_3.VOB", std::int64_t{1} << 30);
  MakeFile(f / "VTS_01_4.VOB", std::int64_t{1} << 30);
  MakeFile(f / "VTS_01_5.VOB", 2048);
  MakeFile(f / "VTS_01_0.VOB", std::int64_t{3} << 31);  // 6 GiB
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_EQ(rows.vmg.at(0).text, "VIDEO_TS.VOB  4718592KB");
  EXPECT_EQ(rows.videos.at(0).text, "VTS_01_*.VOB  4194306KB");
  EXPECT_EQ(rows.menus.at(0).text, "VTS_01_0.VOB  6291456KB");
  ExpectSameRows(f, "large files");
}

TEST(FolderScanEquivalence, AFolderOfManyEntriesIsReadToTheEnd) {
  // Long names fill several reads of the folder; the DVD files are created
  // last, so they are unlikely to come in the first read.
  TempFolder f;
  MakeFile(f / "filler", 1);
  for (int i = 0; i < 600; ++i) {
    const std::string name = "filler-" + std::to_string(i) + "-" + std::string(200, 'n');
    std::filesystem::create_hard_link(test::Native(f / "filler"), test::Native(f / name));
  }
  for (int n : {3, 42, 98}) {
    for (const std::string& name : DvdNames(n)) MakeFile(f / name, 2048 + n);
  }
  MakeFile(f / "VIDEO_TS.VOB", 3000);
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_EQ(rows.vmg.size(), 1U);
  EXPECT_EQ(rows.videos.size(), 3U);
  EXPECT_EQ(rows.menus.size(), 3U);
  ExpectSameRows(f, "many entries");
}

TEST(FolderScanEquivalence, LooksAtTheFolderAfreshOnEveryCall) {
  TempFolder f;
  MakeFile(f / "VTS_05_0.IFO", 2048);
  EXPECT_TRUE(FindTitleSetRows(f.Dir(), "", false).videos.empty());
  MakeFile(f / "VTS_05_1.VOB", 5120);
  EXPECT_EQ(FindTitleSetRows(f.Dir(), "", false).videos.at(0).text, "VTS_05_*.VOB  5KB");
  std::filesystem::rename(test::Native(f / "VTS_05_1.VOB"), test::Native(f / "VTS_05_1.VOB~"));
  EXPECT_TRUE(FindTitleSetRows(f.Dir(), "", false).videos.empty());
  ASSERT_TRUE(std::filesystem::remove(test::Native(f / "VTS_05_0.IFO")));
  ASSERT_TRUE(test::MakeFolder(f / "VTS_05_0.IFO"));
  MakeFile(f / "VTS_05_2.VOB", 5120);
  EXPECT_TRUE(FindTitleSetRows(f.Dir(), "", false).videos.empty());
}

TEST(FolderScanEquivalence, AFolderTextThatNamesNoFolder) {
  TempFolder f;
  MakeFile(f / "VIDEO_TS.VOB", 4096);
  for (const std::string& text : {f / "VIDEO_TS.VOB", f / "missing", f / "missing/"}) {
    const ScanRows rows = FindTitleSetRows(text, "", true);
    EXPECT_TRUE(rows.vmg.empty() && rows.videos.empty() && rows.menus.empty()) << text;
    EXPECT_EQ(Flat(rows), Flat(RowsByLookup(text, "", true))) << text;
  }
}

#if !defined(_WIN32)  // POSIX permissions: a folder that may be searched but not read
TEST(FolderScanEquivalence, AFolderThatCanBeSearchedButNotListed) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any folder";
  TempFolder f;
  MakeFile(f / "VTS_01_0.IFO", 2048);
  MakeFile(f / "VTS_01_1.VOB", 4096);
  MakeFile(f / "VTS_01_0.VOB", 4096);
  ASSERT_EQ(::chmod(f.Dir().c_str(), 0311), 0);  // search, no read
  const ScanRows rows = FindTitleSetRows(f.Dir(), "", false);
  EXPECT_EQ(rows.videos.size(), 1U);
  EXPECT_EQ(rows.menus.size(), 1U);
  EXPECT_EQ(Flat(rows), Flat(RowsByLookup(f.Dir(), "", false)));
  ::chmod(f.Dir().c_str(), 0755);
}
#endif

}  // namespace
}  // namespace kestrune
