#include "genisoimage.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

extern char** environ;

namespace kestrune::image {

namespace {

constexpr std::size_t kKeptOutput = 4096;  // the last bytes of what it says
constexpr int kPollMilliseconds = 100;

std::int64_t SizeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

// A failed write names the system's reason for it.
bool SaysWriteFailed(const std::string& said) {
  for (const int code : {ENOSPC, EDQUOT, EIO, EFBIG, EROFS})
    if (said.find(std::strerror(code)) != std::string::npos) return true;
  return false;
}

}  // namespace

std::string VolumeNameFor(const std::string& imagePath) {
  std::string name = imagePath.substr(imagePath.find_last_of('/') + 1);
  if (const auto dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
  std::string volume;
  for (const char c : name) {
    if (volume.size() == 32) break;
    if (c >= 'a' && c <= 'z')
      volume += static_cast<char>(c - 'a' + 'A');
    else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
      volume += c;
    else
      volume += '_';
  }
  return volume.find_first_not_of('_') == std::string::npos ? std::string("DVD_VIDEO") : volume;
}

MasteringRun RunGenisoimage(const std::string& root, const std::string& output, const std::string& volume,
                            std::int64_t expectedBytes, Progress* progress) {
  MasteringRun run;
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    run.said = std::string("cannot run genisoimage: ") + std::strerror(errno);
    return run;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDERR_FILENO);
  const std::vector<std::string> args{"genisoimage", "-dvd-video", "-udf", "-f",   "-quiet",
                                      "-V",          volume,       "-o",   output, root};
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, "genisoimage", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    run.said = spawned == ENOENT ? "genisoimage is not installed (Debian: apt-get install genisoimage)"
                                 : std::string("cannot run genisoimage: ") + std::strerror(spawned);
    return run;
  }
  run.started = true;

  ProgressReport report(progress, "Mastering " + output.substr(output.find_last_of('/') + 1), expectedBytes);
  bool open = true;
  while (open) {
    pollfd fd{pipeFds[0], POLLIN, 0};
    const int ready = ::poll(&fd, 1, kPollMilliseconds);
    if (ready > 0) {
      char buffer[1024];
      const ssize_t got = ::read(pipeFds[0], buffer, sizeof buffer);
      if (got > 0) {
        run.said.append(buffer, static_cast<std::size_t>(got));
        if (run.said.size() > kKeptOutput) run.said.erase(0, run.said.size() - kKeptOutput);
      } else if (got == 0 || errno != EINTR) {
        open = false;  // it has ended, or closed its standard error
      }
    }
    report.Update(std::min(SizeOf(output), expectedBytes));
  }
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  while (!run.said.empty() && (run.said.back() == '\n' || run.said.back() == ' ')) run.said.pop_back();
  run.writeFailed = run.exitStatus != 0 && SaysWriteFailed(run.said);
  return run;
}

}  // namespace kestrune::image
