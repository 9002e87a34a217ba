#include "show_process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "interrupts.h"

extern char** environ;

namespace {

bool isDirectory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string selfFolder(const char* argv0) {
  char buffer[PATH_MAX];
  ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  std::string self = n > 0 ? std::string(buffer, static_cast<std::size_t>(n)) : argv0;
  std::size_t slash = self.rfind('/');
  return slash == std::string::npos ? "." : self.substr(0, slash);
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (std::string& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

ShowRun locateShow(const char* argv0) {
  ShowRun run;
  std::string folder = selfFolder(argv0);
  std::string candidates[2] = {folder, folder};
  candidates[0].append("/vorkast05");
  candidates[1].append("/../../vorkast05");
  for (const std::string& candidate : candidates) {
    if (::access(candidate.c_str(), X_OK) == 0) {
      run.program = candidate;
      break;
    }
  }
  if (isDirectory("data")) {
    run.workDir = std::filesystem::current_path().string();
  } else if (!run.program.empty()) {
    std::string beside = run.program.substr(0, run.program.rfind('/'));
    if (isDirectory(beside + "/data")) run.workDir = beside;
  }
  return run;
}

int spawn(const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  std::vector<char*> list = pointers(args);
  pid_t pid = -1;
  if (posix_spawnp(&pid, list[0], nullptr, nullptr, list.data(), environ) != 0) return -1;
  return pid;
}

int waitFor(int pid) {
  int status = 0;
  if (pid <= 0) return -1;
  const pid_t got = ::waitpid(pid, &status, 0);
  interrupts::forget(pid);
  return got == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool hasEnded(int pid, int* status) {
  int raw = 0;
  const pid_t got = pid > 0 ? ::waitpid(pid, &raw, WNOHANG) : -1;
  if (got == 0) return false;
  interrupts::forget(pid);
  *status = got > 0 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return true;
}

bool onPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string all = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t end = all.find(':', start);
    if (end == std::string::npos) end = all.size();
    std::string candidate = all.substr(start, end - start);
    candidate.append("/").append(name);
    if (::access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

int runShow(const ShowRun& run, const std::function<bool(double)>& onFrame) {
  int out[2];
  if (::pipe(out) != 0) return -1;
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  env.insert(env.end(), run.environment.begin(), run.environment.end());
  std::vector<char*> envList = pointers(env);
  std::vector<std::string> args = {run.program};
  std::vector<char*> argList = pointers(args);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, run.workDir.c_str());
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t pid = -1;
  int started =
      posix_spawn(&pid, run.program.c_str(), &actions, nullptr, argList.data(), envList.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (started != 0) {
    ::close(out[0]);
    return -1;
  }
  interrupts::watch(pid);
  FILE* lines = ::fdopen(out[0], "r");
  char line[512];
  bool stopped = false;
  // Read to the end even once stopped, so the show never blocks on a full
  // pipe on its way out.
  while (std::fgets(line, sizeof line, lines) != nullptr) {
    const char* time = std::strstr(line, "\ttime = ");
    if (!stopped && std::strncmp(line, "fps = ", 6) == 0 && time != nullptr &&
        !onFrame(std::strtod(time + 8, nullptr))) {
      stopped = true;
      ::kill(pid, SIGTERM);
    }
  }
  std::fclose(lines);
  return waitFor(pid);
}
