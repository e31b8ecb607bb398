#include "picture_commands.h"

#include <filesystem>
#include <ostream>
#include <vector>

#include "cli_app.h"
#include "disc.h"
#include "dvd_files.h"
#include "file_layer.h"
#include "report_page.h"
#include "progress_bar.h"
#include "status.h"
#if defined(KESTRUNE_HAVE_PICTURES)
#include "disc_pictures.h"
#endif

namespace kestrune {

const char kNoVideoDecoding[] =
    "This build of kestrune-cli cannot decode video (it has no libavcodec), so it makes no pictures.";

namespace {

namespace fs = std::filesystem;

fs::path PathOf(const std::string& text) { return fs::path(reinterpret_cast<const char8_t*>(text.c_str())); }

// True, with the reason on `err`, when `target` lies in the DVD folder `dir`:
// the pictures and the page are written beside the disc, never into it.
bool InsideDvdFolder(const std::string& dir, const fs::path& target, std::ostream& err) {
  std::error_code error;
  if (!fs::equivalent(PathOf(dir), target, error)) return false;
  err << "Write the pictures and the page outside the DVD folder, not into " << dir << '\n';
  return true;
}

int ProblemsStatus(const disc::Disc& disc, std::ostream& err) {
  for (const ifo::Problem& problem : disc.problems) err << problem.text << '\n';
  return disc.problems.empty() ? kExitOk : kExitFailed;
}

#if defined(KESTRUNE_HAVE_PICTURES)

std::vector<picture::MadePicture> Pictures(const disc::Disc& disc, std::ostream& err) {
  cli::ProgressBar bar(err, cli::IsTerminal(err));
  bool started = false;
  return picture::MakePictures(disc, [&](std::size_t done, std::size_t total) {
    if (!started) bar.StartCounting("Pictures", static_cast<std::int64_t>(total));
    started = true;
    bar.Update(static_cast<std::int64_t>(done));
  });
}

// The pictures that could not be made, on `err`; those of menus without
// video, which have none to make, on `out`.
int ReportMissing(const std::vector<picture::MadePicture>& pictures, std::ostream& out, std::ostream& err) {
  int status = kExitOk;
  for (const picture::MadePicture& p : pictures) {
    if (!p.png.empty()) continue;
    (p.failed ? err : out) << p.label << ": no picture: " << p.why << '\n';
    if (p.failed) status = kExitFailed;
  }
  return status;
}

#endif

}  // namespace

int WriteThumbnails(const std::string& dir, const std::string& outDir, std::ostream& out, std::ostream& err) {
#if !defined(KESTRUNE_HAVE_PICTURES)
  (void)dir, (void)outDir, (void)out;
  err << kNoVideoDecoding << '\n';
  return kExitUsage;
#else
  if (!FolderExists(dir)) {
    err << StatusMessage(kStatusPathNotFound) << '\n';
    return kExitFailed;
  }
  const fs::path target = PathOf(outDir);
  std::error_code error;
  fs::create_directories(target, error);
  if (error || !FolderExists(outDir)) {
    err << "Cannot make the folder " << outDir << (error ? ": " + error.message() : "") << '\n';
    return kExitFileError;
  }
  if (InsideDvdFolder(dir, target, err)) return kExitFailed;
  const disc::Disc disc = disc::ReadDisc(dir);
  const std::vector<picture::MadePicture> pictures = Pictures(disc, err);
  const std::string folder = WithTrailingDelimiter(outDir);
  std::vector<std::string> written;
  std::int64_t vobBytesRead = 0;
  try {
    for (const picture::MadePicture& p : pictures) {
      vobBytesRead += p.vobBytesRead;
      if (p.png.empty()) continue;
      const std::string path = folder + p.name + ".png";
      WriteFileReplacing(path, p.png, DataFlush::kLater);
      written.push_back(path);
      out << p.name << ".png  " << p.label << ", " << p.width << "x" << p.height
          << (p.why.empty() ? "" : " (" + p.why + ")") << '\n';
    }
    FlushFiles(written);
    FlushFolder(folder);
  } catch (const FileError& e) {
    err << e.what() << '\n';
    return kExitFileError;
  }
  const int missing = ReportMissing(pictures, out, err);
  out << written.size() << (written.size() == 1 ? " picture" : " pictures") << " in " << outDir << ", "
      << vobBytesRead << " bytes of VOB read\n";
  const int problems = ProblemsStatus(disc, err);
  return missing != kExitOk ? missing : problems;
#endif
}

int WriteReport(const std::string& dir, const std::string& file, std::ostream& out, std::ostream& err) {
  if (!FolderExists(dir)) {
    err << StatusMessage(kStatusPathNotFound) << '\n';
    return kExitFailed;
  }
  const fs::path target = PathOf(file);
  if (InsideDvdFolder(dir, target.parent_path().empty() ? fs::path(".") : target.parent_path(), err))
    return kExitFailed;
  const disc::Disc disc = disc::ReadDisc(dir);
  ReportPictures pictures;
  std::string notice;
  int status = kExitOk;
#if defined(KESTRUNE_HAVE_PICTURES)
  const std::vector<picture::MadePicture> made = Pictures(disc, err);
  for (const picture::MadePicture& p : made) pictures[p.name] = {p.png, p.width, p.height, p.why};
  status = ReportMissing(made, out, err);
#else
  notice = std::string(kNoVideoDecoding) + " The page shows none.";
  err << notice << '\n';
#endif
  const std::string page = ReportPage(disc, pictures, notice);
  try {
    WriteFileReplacing(file, std::vector<std::uint8_t>(page.begin(), page.end()), DataFlush::kBeforeRename);
    const std::string folder = FolderPartOf(file);
    FlushFolder(folder.empty() ? "." : folder);
  } catch (const FileError& e) {
    err << e.what() << '\n';
    return kExitFileError;
  }
  out << "Wrote " << file << " (" << page.size() << " bytes)\n";
#if !defined(KESTRUNE_HAVE_PICTURES)
  return kExitUsage;
#endif
  const int problems = ProblemsStatus(disc, err);
  return status != kExitOk ? status : problems;
}

}  // namespace kestrune
