// --info reads the IFO files and the folder's listing, never a VOB: the
// kernel reports every file read in the folder (inotify), and no VOB may be
// among them. (The rows of the folder scan open a menu VOB to see that it can
// be read, as the window's do, but read nothing of it.) A dry run reads no
// VOB either: a blanked VOB is replaced, not read.
#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "dvd_check.h"
#include "run_cli.h"

namespace kestrune {
namespace {

// The names of the files read in `dir` while `run` runs.
std::set<std::string> FilesReadBy(const std::string& dir, const std::function<void()>& run) {
  const int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  EXPECT_GE(fd, 0);
  EXPECT_GE(::inotify_add_watch(fd, dir.c_str(), IN_ACCESS), 0);
  run();
  std::set<std::string> names;
  alignas(inotify_event) char buffer[64 * 1024];
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
    for (char* p = buffer; p < buffer + got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(p);
      if (event->len > 0) names.insert(event->name);
      p += sizeof(inotify_event) + event->len;
    }
  }
  ::close(fd);
  return names;
}

TEST(InfoReads, OnlyIfoFilesNeverAVob) {
  for (const char* disc : {"pal_languages", "ntsc_two_sets", "pal_split"}) {
    const std::string dir = dvdcheck::FixtureVideoTs(disc).string();
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--info", dir}, std::vector<std::string>{"--info", "--json", dir},
          std::vector<std::string>{"--dry-run", "--titles", "1", "--menus", "1", dir}}) {
      const std::set<std::string> read = FilesReadBy(dir, [&] { EXPECT_EQ(test::Cli(args).code, 0) << disc; });
      EXPECT_TRUE(read.count("VIDEO_TS.IFO")) << disc;
      for (const std::string& name : read)
        EXPECT_EQ(name.find(".VOB"), std::string::npos) << disc << " " << args.front() << " read " << name;
    }
  }
}

}  // namespace
}  // namespace kestrune
