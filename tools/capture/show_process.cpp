#include "show_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
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

// How long the show may print nothing before it is asked whether it is
// still wanted: its first frame may wait for a reader that never comes.
constexpr int kQuietMilliseconds = 250;

// The capture itself ignores SIGPIPE; the programs it starts get the
// default back, as any program expects to start with.
class DefaultSignals {
 public:
  DefaultSignals() {
    posix_spawnattr_init(&attributes_);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF);
  }
  ~DefaultSignals() { posix_spawnattr_destroy(&attributes_); }
  DefaultSignals(const DefaultSignals&) = delete;
  DefaultSignals& operator=(const DefaultSignals&) = delete;
  const posix_spawnattr_t* get() const { return &attributes_; }

 private:
  posix_spawnattr_t attributes_;
};

// Forgotten before it is reaped: an interrupt in between must never signal
// a number that the system may already have given another program.
int reap(int pid) {
  interrupts::forget(pid);
  int status = 0;
  if (::waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int spawn(const std::vector<std::string>& argv) {
  std::vector<std::string> args = argv;
  std::vector<char*> list = pointers(args);
  const DefaultSignals signals;
  pid_t pid = -1;
  if (posix_spawnp(&pid, list[0], nullptr, signals.get(), list.data(), environ) != 0) return -1;
  return pid;
}

int waitFor(int pid) {
  if (pid <= 0) return -1;
  siginfo_t info{};
  while (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOWAIT) != 0) {
    if (errno != EINTR) return -1;
  }
  return reap(pid);
}

bool hasEnded(int pid, int* status) {
  siginfo_t info{};
  if (pid > 0 && ::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
      info.si_pid == 0) {
    return false;
  }
  *status = pid > 0 ? reap(pid) : -1;
  return true;
}

bool releaseReader(const std::string& fifo) {
  const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
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

int runShow(const ShowRun& run, const std::function<bool(double)>& onFrame,
            const std::function<bool()>& stillWanted) {
  int out[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return -1;
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
  env.insert(env.end(), run.environment.begin(), run.environment.end());
  std::vector<char*> envList = pointers(env);
  std::vector<std::string> args = {run.program};
  std::vector<char*> argList = pointers(args);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, run.workDir.c_str());
  // Both ends are close-on-exec; the copy as standard output is not.
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const DefaultSignals signals;
  pid_t pid = -1;
  int started = posix_spawn(&pid, run.program.c_str(), &actions, signals.get(), argList.data(),
                            envList.data());
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  if (started != 0) {
    ::close(out[0]);
    return -1;
  }
  interrupts::watch(pid);
  bool stopped = false;
  auto stop = [&] {
    stopped = true;
    ::kill(pid, SIGTERM);
  };
  std::string pending;
  char chunk[4096];
  // Read to the end even once stopped, so the show never blocks on a full
  // pipe on its way out.
  for (;;) {
    pollfd watch{out[0], POLLIN, 0};
    const int ready = ::poll(&watch, 1, kQuietMilliseconds);
    if (ready < 0 && errno != EINTR) break;
    if (ready <= 0) {
      if (ready == 0 && !stopped && !stillWanted()) stop();
      continue;
    }
    const ssize_t n = ::read(out[0], chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;  // the show has closed its output: it has gone
    pending.append(chunk, static_cast<std::size_t>(n));
    for (std::size_t end; (end = pending.find('\n')) != std::string::npos;) {
      const std::string line = pending.substr(0, end);
      pending.erase(0, end + 1);
      const std::size_t time = line.find("\ttime = ");
      if (!stopped && line.compare(0, 6, "fps = ") == 0 && time != std::string::npos &&
          !onFrame(std::strtod(line.c_str() + time + 8, nullptr))) {
        stop();
      }
    }
  }
  ::close(out[0]);
  return waitFor(pid);
}
