// Runs the show binary as a user would, headless and on the frame clock, in a
// folder of its own, under a memory bound (ulimit -v) and a time bound, and
// collects what it printed.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace hardening {

// The build's show and the data that the assets target made beside it.
std::string showProgram();
std::string builtData();

// True in sanitizer builds: the sanitizers reserve terabytes of address
// space, so no `ulimit -v` can apply, and every frame is slower.
bool sanitizedBuild();

struct ShowRun {
  std::string name;  // folder below the test's temporary directory
  std::string data;  // linked there as data/
  std::string keys;  // the VORKAST_KEYS script
  double startSeconds = 0.0;
  // Frames per second of the frame clock (VORKAST_FPS); 0: the show's own
  // default. Fewer frames run the same timeline in less time.
  int framesPerSecond = 0;
  // Address space allowed to the show, in KiB. A normal run takes about
  // 120 MiB; any one decode of an unbounded image or track would take far more.
  // 0: no bound.
  long memoryLimitKiB = 512 * 1024;
  int timeLimitSeconds = 60;
  // A command that runs the show (valgrind and its options), or empty.
  std::string launcher;
  // Called after each frame-rate line with the show's pid and the number of
  // lines so far, for tests that look at the process while it runs.
  std::function<void(pid_t, long)> onFrame;
};

struct ShowResult {
  int status = -1;  // exit status, or -1 when killed or crashed
  int signal = 0;   // the signal that ended it, if any
  bool timedOut = false;
  std::vector<std::string> out;  // standard output, line by line
  std::vector<std::string> err;  // standard error
  std::vector<double> times;     // the time of every frame-rate line
  double wallSeconds = 0.0;
  long maxResidentKiB = 0;  // the show's peak resident memory (ru_maxrss)
  std::string dir;          // the folder it ran in
};

ShowRun showRun(const std::string& name, const std::string& data, const std::string& keys,
                double startSeconds);
ShowResult runShow(const ShowRun& run);

// The lines of `lines` that start with `prefix`.
std::vector<std::string> linesStartingWith(const std::vector<std::string>& lines,
                                           const std::string& prefix);

// The 28 lines that end every run: the render target's goodbye and the
// registry's listing of its 25 entries, last registered first.
std::vector<std::string> exitLines();

// The twenty image names, in the order of registration.
const std::vector<std::string>& imageNames();

}  // namespace hardening
