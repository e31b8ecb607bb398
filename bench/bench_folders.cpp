#include "bench_folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "big_endian.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "ifo_image.h"

namespace kestrune::bench {

namespace {

// VTSI_MAT 0x0C: last sector of the title set (IFO, VOBs and BUP).
constexpr std::size_t kVtsLastSector = 0x0C;
// VMGI_MAT 0xC4: start sector of TT_SRPT, whose 12-byte title entries from +8
// hold the title set number at +6 and that set's start sector at +8.
constexpr std::size_t kTtSrptPointer = 0xC4;
constexpr std::size_t kTtSrptEntries = 8;
constexpr std::size_t kTtSrptEntrySize = 12;

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::system_error(errno, std::generic_category(), what + " " + path);
}

struct Fd {
  int fd;
  explicit Fd(int f) : fd(f) {}
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

void WriteAll(int fd, const char* data, std::size_t length, const std::string& path) {
  while (length > 0) {
    const ssize_t done = ::write(fd, data, length);
    if (done < 0) {
      if (errno == EINTR) continue;
      Fail("cannot write", path);
    }
    data += done;
    length -= static_cast<std::size_t>(done);
  }
}

// Copies the data of `from` and leaves its holes as holes.
void CopyFileSparse(const std::string& from, const std::string& to) {
  const Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
  if (in.fd < 0) Fail("cannot open", from);
  struct stat st {};
  if (::fstat(in.fd, &st) != 0) Fail("cannot measure", from);
  const Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
  if (out.fd < 0) Fail("cannot create", to);
  std::vector<char> buffer(1 << 20);
  off_t pos = 0;
  while (pos < st.st_size) {
    const off_t data = ::lseek(in.fd, pos, SEEK_DATA);
    if (data < 0) break;  // only a hole is left
    off_t hole = ::lseek(in.fd, data, SEEK_HOLE);
    if (hole < 0) hole = st.st_size;
    for (off_t at = data; at < hole;) {
      const off_t want = std::min<off_t>(hole - at, static_cast<off_t>(buffer.size()));
      const ssize_t got = ::pread(in.fd, buffer.data(), static_cast<std::size_t>(want), at);
      if (got <= 0) Fail("cannot read", from);
      if (::lseek(out.fd, at, SEEK_SET) < 0) Fail("cannot seek in", to);
      WriteAll(out.fd, buffer.data(), static_cast<std::size_t>(got), to);
      at += got;
    }
    pos = hole;
  }
  if (::ftruncate(out.fd, st.st_size) != 0) Fail("cannot size", to);
}

std::vector<std::uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot open", path);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void SetFileSize(const std::string& path, std::int64_t size) {
  const Fd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
  if (fd.fd < 0 || ::ftruncate(fd.fd, size) != 0) Fail("cannot size", path);
}

// Adds `sectors` to a 32-bit sector field of an IFO and of its BUP copy.
void AddToSectorField(const std::string& ifoWithoutExtension, std::size_t offset, std::int64_t sectors) {
  for (const char* extension : {".IFO", ".BUP"}) {
    const std::string path = ifoWithoutExtension + extension;
    std::vector<std::uint8_t> bytes = ReadFile(path);
    if (bytes.size() < offset + 4) throw std::runtime_error(path + " is too short");
    const auto value = GetBigEndian<std::uint32_t>(bytes.data() + offset);
    PutBigEndian<std::uint32_t>(bytes.data() + offset, static_cast<std::uint32_t>(value + sectors));
    WriteFileReplacing(path, bytes);
  }
}

// Moves the start sector of every title of a title set after the grown ones.
void ShiftTitleStarts(const std::string& videoTs, const std::vector<std::int64_t>& addedBefore) {
  for (const char* name : {"VIDEO_TS.IFO", "VIDEO_TS.BUP"}) {
    const std::string path = videoTs + name;
    std::vector<std::uint8_t> bytes = ReadFile(path);
    if (bytes.size() < kTtSrptPointer + 4) throw std::runtime_error(path + " is too short");
    const std::size_t table = GetBigEndian<std::uint32_t>(bytes.data() + kTtSrptPointer) * std::size_t{kSectorSize};
    if (table == 0 || bytes.size() < table + kTtSrptEntries) throw std::runtime_error(path + ": no TT_SRPT");
    const std::size_t titles = GetBigEndian<std::uint16_t>(bytes.data() + table);
    for (std::size_t j = 0; j < titles; ++j) {
      const std::size_t entry = table + kTtSrptEntries + kTtSrptEntrySize * j;
      if (bytes.size() < entry + kTtSrptEntrySize) throw std::runtime_error(path + ": TT_SRPT is cut short");
      const std::size_t set = bytes[entry + 6];
      if (set >= addedBefore.size()) throw std::runtime_error(path + ": a title of an unknown title set");
      const auto start = GetBigEndian<std::uint32_t>(bytes.data() + entry + 8);
      PutBigEndian<std::uint32_t>(bytes.data() + entry + 8, static_cast<std::uint32_t>(start + addedBefore[set]));
    }
    WriteFileReplacing(path, bytes);
  }
}

}  // namespace

void CopyFolderSparse(const std::string& from, const std::string& to) {
  std::filesystem::create_directories(to);
  for (const auto& entry : std::filesystem::directory_iterator(from)) {
    if (!entry.is_regular_file()) continue;
    const std::string name = entry.path().filename().string();
    CopyFileSparse(entry.path().string(), WithTrailingDelimiter(to) + name);
  }
}

void RemoveFolder(const std::string& dir) {
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
}

int GrowTitleVideo(const std::string& folder, std::int64_t bytesPerSet) {
  const std::string videoTs = WithTrailingDelimiter(folder);
  const std::int64_t target = (bytesPerSet + kSectorSize - 1) / kSectorSize * kSectorSize;
  // addedBefore[n]: sectors added to the title sets before title set n.
  std::vector<std::int64_t> addedBefore(101, 0);
  int grown = 0;
  for (int n = 1; n <= 99; ++n) {
    const std::string base = videoTs + VtsPrefix(n);
    addedBefore[static_cast<std::size_t>(n) + 1] = addedBefore[static_cast<std::size_t>(n)];
    if (GetFileSize64(base + "0.IFO") < 0) continue;
    const std::int64_t authored = GetFileSize64(base + "1.VOB");
    if (authored <= 0 || authored % kSectorSize != 0 || GetFileSize64(base + "2.VOB") >= 0)
      throw std::runtime_error(base + "1.VOB must hold the whole title video of its set");
    if (authored >= target) continue;
    std::int64_t left = target;
    for (int k = 1; left > 0; ++k) {
      if (k > 9) throw std::runtime_error("more title video than nine VOB files hold");
      const std::int64_t size = std::min(left, kVobFileLimit);
      SetFileSize(base + std::to_string(k) + ".VOB", size);
      left -= size;
    }
    const std::int64_t added = (target - authored) / kSectorSize;
    AddToSectorField(base + "0", kVtsLastSector, added);
    addedBefore[static_cast<std::size_t>(n) + 1] += added;
    ++grown;
  }
  if (grown > 0) ShiftTitleStarts(videoTs, addedBefore);
  return grown;
}

std::int64_t FillHoles(const std::string& folder) {
  const std::string videoTs = WithTrailingDelimiter(folder);
  // xorshift64: cheap, and as incompressible as any disc's video.
  std::uint64_t state = 0x9E3779B97F4A7C15ull;
  std::vector<std::uint64_t> block((1 << 20) / sizeof(std::uint64_t));
  std::int64_t written = 0;
  for (const auto& entry : std::filesystem::directory_iterator(videoTs)) {
    const std::string name = entry.path().filename().string();
    if (name.size() != 12 || name.substr(9) != "VOB" || !entry.is_regular_file()) continue;
    const std::string path = entry.path().string();
    const Fd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC));
    if (fd.fd < 0) Fail("cannot open", path);
    struct stat st {};
    if (::fstat(fd.fd, &st) != 0) Fail("cannot measure", path);
    off_t pos = 0;
    while (pos < st.st_size) {
      off_t hole = ::lseek(fd.fd, pos, SEEK_HOLE);
      if (hole < 0 || hole >= st.st_size) break;
      off_t data = ::lseek(fd.fd, hole, SEEK_DATA);
      if (data < 0) data = st.st_size;  // a hole up to the end
      for (off_t at = hole; at < data;) {
        for (std::uint64_t& word : block) {
          state ^= state << 13;
          state ^= state >> 7;
          state ^= state << 17;
          word = state;
        }
        const std::size_t length = static_cast<std::size_t>(std::min<off_t>(data - at, (1 << 20)));
        if (::lseek(fd.fd, at, SEEK_SET) < 0) Fail("cannot seek in", path);
        WriteAll(fd.fd, reinterpret_cast<const char*>(block.data()), length, path);
        at += static_cast<off_t>(length);
        written += static_cast<std::int64_t>(length);
      }
      pos = data;
    }
    if (::fsync(fd.fd) != 0) Fail("cannot flush", path);
  }
  return written;
}

}  // namespace kestrune::bench
