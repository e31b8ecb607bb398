// Test helpers: a scratch folder that removes itself, and whole-file I/O.
// Paths are UTF-8 text with the system's delimiter, as the engine takes them.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace kestrune::test {

// A folder that does not exist, named as a user of the system would name it
// (on Windows a text starting with "/" is taken for an option).
#if defined(_WIN32)
inline constexpr char kMissingFolder[] = "C:\\no\\such\\folder";
#else
inline constexpr char kMissingFolder[] = "/no/such/folder";
#endif

// The system's path delimiter, as text.
#if defined(_WIN32)
inline constexpr char kDelimiter[] = "\\";
#else
inline constexpr char kDelimiter[] = "/";
#endif

// A UTF-8 path for the standard library, and back.
inline std::filesystem::path Native(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

class TempFolder {
 public:
  // A new folder in `base`, or in the tests' scratch folder when none is named.
  explicit TempFolder(const std::string& base = {}) {
    namespace fs = std::filesystem;
    std::random_device seed;
    std::mt19937_64 random(seed());
    const fs::path parent = base.empty() ? ScratchParent() : Native(base);
    for (;;) {
      const fs::path candidate = parent / ("kestrune-" + std::to_string(random() % 1000000000));
      std::error_code error;
      if (fs::create_directory(candidate, error)) {
        path_ = Utf8(candidate);
        return;
      }
      if (error) throw fs::filesystem_error("cannot make a scratch folder", candidate, error);
    }
  }
  ~TempFolder() {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(Native(path_), fs::perms::owner_all, ignored);
#if defined(_WIN32)
    // A read-only file cannot be deleted there.
    for (fs::recursive_directory_iterator it(Native(path_), ignored), end; it != end; it.increment(ignored))
      if (!it->is_symlink(ignored)) fs::permissions(it->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
#endif
    fs::remove_all(Native(path_), ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // The folder with a trailing delimiter.
  std::string Dir() const { return path_ + kDelimiter; }
  std::string operator/(const std::string& name) const { return Dir() + name; }

 private:
  // The system's temporary folder. Under Wine, a folder on a RAM disk when
  // the test set-up names one ($KESTRUNE_TEST_SCRATCH): Wine makes every
  // flush wait for the disk, and holds every other program up meanwhile.
  static std::filesystem::path ScratchParent() {
#if defined(_WIN32)
    const char* scratch = std::getenv("KESTRUNE_TEST_SCRATCH");
    std::error_code error;
    if (scratch != nullptr && std::filesystem::is_directory(scratch, error)) return scratch;
#endif
    return std::filesystem::temp_directory_path();
  }

  std::string path_;
};

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(Native(path), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every regular file of a folder by name, for byte-for-byte comparisons.
inline std::map<std::string, std::vector<std::uint8_t>> Snapshot(const std::string& dir) {
  std::map<std::string, std::vector<std::uint8_t>> files;
  for (const auto& entry : std::filesystem::directory_iterator(Native(dir)))
    if (entry.is_regular_file()) files[Utf8(entry.path().filename())] = ReadBytes(Utf8(entry.path()));
  return files;
}

// Copies the folder `from` and all it holds to `to`, made if need be.
// (std::filesystem::copy into a folder that exists fails in Windows's
// standard library for some folders, and copies nothing given a trailing
// delimiter.)
inline void CopyFolder(const std::string& from, const std::string& to) {
  namespace fs = std::filesystem;
  const fs::path target = Native(to);
  fs::create_directories(target);
  for (const fs::directory_entry& entry : fs::directory_iterator(Native(from))) {
    const fs::path into = target / entry.path().filename();
    if (entry.is_directory())
      CopyFolder(Utf8(entry.path()), Utf8(into));
    else
      fs::copy_file(entry.path(), into, fs::copy_options::overwrite_existing);
  }
}

// Makes a folder (and the folders above it); true when it was made.
inline bool MakeFolder(const std::string& path) { return std::filesystem::create_directories(Native(path)); }

}  // namespace kestrune::test
