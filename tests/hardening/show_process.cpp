#include "show_process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace hardening {
namespace {

namespace fs = std::filesystem;

// Splits complete lines off `buffer`, leaving a partial last line in it.
template <typename Each>
void takeLines(std::string& buffer, Each each) {
  std::size_t start = 0;
  for (std::size_t end; (end = buffer.find('\n', start)) != std::string::npos; start = end + 1) {
    each(buffer.substr(start, end - start));
  }
  buffer.erase(0, start);
}

bool parseTime(const std::string& line, double* time) {
  double rate = 0;
  return std::sscanf(line.c_str(), "fps = %lf\ttime = %lf", &rate, time) == 2 ||
         (line.rfind("fps = inf", 0) == 0 &&
          std::sscanf(line.c_str(), "fps = inf\ttime = %lf", time) == 1) ||
         (line.rfind("fps = -inf", 0) == 0 &&
          std::sscanf(line.c_str(), "fps = -inf\ttime = %lf", time) == 1);
}

[[noreturn]] void execShow(const ShowRun& run, const std::string& dir, int outFd, int errFd) {
  dup2(outFd, STDOUT_FILENO);
  dup2(errFd, STDERR_FILENO);
  if (chdir(dir.c_str()) != 0) _exit(126);
  setenv("VORKAST_VIDEO", "none", 1);
  setenv("VORKAST_AUDIO", "frames", 1);
  setenv("VORKAST_KEYS", "keys.txt", 1);
  setenv("VORKAST_START", std::to_string(run.startSeconds).c_str(), 1);
  for (const char* other : {"VORKAST_FPS", "VORKAST_FRAMES", "VORKAST_RAWVIDEO"}) unsetenv(other);
  if (run.framesPerSecond > 0)
    setenv("VORKAST_FPS", std::to_string(run.framesPerSecond).c_str(), 1);
  // exec keeps the pid, so the parent can look at the show itself.
  std::string script = "exec " + run.launcher + " \"$0\"";
  if (!sanitizedBuild() && run.memoryLimitKiB > 0)
    script = "ulimit -v " + std::to_string(run.memoryLimitKiB) + " && " + script;
  execl("/bin/sh", "sh", "-c", script.c_str(), showProgram().c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

}  // namespace

std::string showProgram() { return std::string(VORKAST_BINARY_DIR) + "/vorkast05"; }
std::string builtData() { return std::string(VORKAST_BINARY_DIR) + "/data"; }

bool sanitizedBuild() {
#ifdef VORKAST_HARDENING_SANITIZED
  return true;
#else
  return false;
#endif
}

ShowRun showRun(const std::string& name, const std::string& data, const std::string& keys,
                double startSeconds) {
  ShowRun run;
  run.name = name;
  run.data = data;
  run.keys = keys;
  run.startSeconds = startSeconds;
  return run;
}

ShowResult runShow(const ShowRun& run) {
  ShowResult result;
  const std::string dir = ::testing::TempDir() + "/hardening_" + run.name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  fs::create_symlink(run.data, dir + "/data");
  std::ofstream(dir + "/keys.txt") << run.keys;
  result.dir = dir;

  int outPipe[2], errPipe[2];
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return result;
  const auto began = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid == 0) execShow(run, dir, outPipe[1], errPipe[1]);
  close(outPipe[1]);
  close(errPipe[1]);

  const auto deadline =
      began + std::chrono::seconds(run.timeLimitSeconds * (sanitizedBuild() ? 6 : 1));
  std::string outBuffer, errBuffer;
  long frames = 0;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  int open = 2;
  while (open > 0) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    if (poll(fds, 2, static_cast<int>(left.count())) < 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      char chunk[8192];
      ssize_t n = read(fds[i].fd, chunk, sizeof chunk);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open;
        continue;
      }
      if (i == 1) {
        errBuffer.append(chunk, static_cast<std::size_t>(n));
        takeLines(errBuffer, [&](const std::string& line) { result.err.push_back(line); });
        continue;
      }
      outBuffer.append(chunk, static_cast<std::size_t>(n));
      takeLines(outBuffer, [&](const std::string& line) {
        result.out.push_back(line);
        double time = 0;
        if (!parseTime(line, &time)) return;
        result.times.push_back(time);
        if (run.onFrame) run.onFrame(pid, ++frames);
      });
    }
  }
  for (auto& fd : fds) {
    if (fd.fd >= 0) close(fd.fd);
  }
  int status = 0;
  rusage usage{};
  // exec kept the pid: this is the show's own usage (or its launcher's).
  wait4(pid, &status, 0, &usage);
  result.maxResidentKiB = usage.ru_maxrss;
  result.wallSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  if (!outBuffer.empty()) result.out.push_back(outBuffer);
  if (!errBuffer.empty()) result.err.push_back(errBuffer);
  return result;
}

std::vector<std::string> linesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : lines) {
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  }
  return found;
}

const std::vector<std::string>& imageNames() {
  static const std::vector<std::string> names = {"yellow_frame2.png",
                                                 "vorkast/d.png",
                                                 "vorkast/white.png",
                                                 "vorkast/gulfisk.png",
                                                 "vorkast/ribbon.png",
                                                 "vorkast/overup.png",
                                                 "vorkast/lort.png",
                                                 "vorkast/text/cuffercup.png",
                                                 "vorkast/text/text01.png",
                                                 "vorkast/text/text02.png",
                                                 "vorkast/text/text03.png",
                                                 "vorkast/text/text04.png",
                                                 "vorkast/text/text05.png",
                                                 "vorkast/text/text06.png",
                                                 "vorkast/text/text07.png",
                                                 "vorkast/text/text_overlay01.png",
                                                 "vorkast/text/text_overlay02.png",
                                                 "vorkast/text/text_overlay03.png",
                                                 "vorkast/text/cred.png",
                                                 "vorkast/text/hore.png"};
  return names;
}

std::vector<std::string> exitLines() {
  std::vector<std::string> entries = imageNames();
  entries.insert(entries.begin() + 2, "render_target");
  for (const char* target : {"target_a", "target_b", "target_c", "target_d"}) {
    entries.push_back(target);
  }
  std::vector<std::string> lines = {"render_to_texture goes to bed", "",
                                    "bitchybitchyfizzle on tha doggywizzle, size = 25"};
  for (auto it = entries.rbegin(); it != entries.rend(); ++it) lines.push_back("\t" + *it);
  return lines;
}

}  // namespace hardening
