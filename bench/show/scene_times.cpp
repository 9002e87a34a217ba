// Frame times of the show itself, scene by scene, and its start-up time.
//
// Runs the vorkast05 program headless on the frame clock (VORKAST_VIDEO=none,
// VORKAST_AUDIO=frames: every run draws the same frames), reads its standard
// output through a pipe and stamps each line as it arrives. The show prints
// one "fps = ...\ttime = t" line after each presented frame, so the time
// between two such lines is one frame's wall-clock time, and t says which
// scene drew it. The lines printed before the first frame mark the steps of
// start-up: the device ("happy device"), the frame target, then the first
// frame after the music and the pictures have loaded.
//
// Usage: scene_times [--show PATH] [--dir DIR] [--sample N] [--startup N]
//   --show    the vorkast05 program (default: the one built beside this)
//   --dir     folder to run it in, holding data/ (default: the program's folder)
//   --sample  0 (default): the whole show in one run; N > 0: one run per
//             scene, N frames from the scene's start (VORKAST_START), ended
//             by an Escape key script
//   --startup N runs of two frames each on the real-time music clock
//             (VORKAST_AUDIO=clock), whose second frame tells when the music
//             started; prints each run's start-up and their medians
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "show_clock.h"

namespace {

struct Options {
  std::string show = VORKAST_SHOW_PROGRAM;
  std::string dir;
  int sample = 0;
  int startup = 0;
};

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (i + 1 >= argc) return false;
    if (a == "--show") {
      o.show = argv[++i];
    } else if (a == "--dir") {
      o.dir = argv[++i];
    } else if (a == "--sample" || a == "--startup") {
      char* end = nullptr;
      const long n = std::strtol(argv[++i], &end, 10);
      if (*end != '\0' || n < 0 || n > 100000) return false;
      (a == "--sample" ? o.sample : o.startup) = static_cast<int>(n);
    } else {
      return false;
    }
  }
  if (o.dir.empty()) {
    const auto slash = o.show.rfind('/');
    o.dir = slash == std::string::npos ? "." : o.show.substr(0, slash);
  }
  return true;
}

// Runs the show once; false when it could not be started or failed.
bool runShow(const Options& o, double start, int frames, std::vector<StampedLine>& lines,
             const char* audio = "frames") {
  std::string keys;
  if (frames > 0) {
    keys = "/tmp/scene_times_keys_" + std::to_string(getpid());
    std::ofstream(keys) << frames << " ESCAPE down\n";
  }
  int out[2];
  if (pipe(out) != 0) return false;
  const auto spawned = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return false;
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    if (chdir(o.dir.c_str()) != 0) _exit(126);
    setenv("VORKAST_VIDEO", "none", 1);
    setenv("VORKAST_AUDIO", audio, 1);
    setenv("VORKAST_START", std::to_string(start).c_str(), 1);
    if (!keys.empty()) setenv("VORKAST_KEYS", keys.c_str(), 1);
    // Line-buffered output, so that each line leaves the show when printed.
    execlp("stdbuf", "stdbuf", "-oL", o.show.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string pending;
  char buffer[4096];
  for (;;) {
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0) break;
    const double at =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - spawned).count();
    pending.append(buffer, static_cast<size_t>(n));
    size_t end;
    while ((end = pending.find('\n')) != std::string::npos) {
      lines.push_back({at, pending.substr(0, end)});
      pending.erase(0, end + 1);
    }
  }
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  if (!keys.empty()) std::remove(keys.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "scene_times: %s ended with status %d\n", o.show.c_str(),
                 WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return false;
  }
  return true;
}

void printStartup(const Startup& s) {
  std::printf("start-up (process start to first frame): %.1f ms\n", 1000 * s.firstFrame);
  std::printf("  to device created (\"happy device\"):      %.1f ms\n", 1000 * s.device);
  std::printf("  to globals built (frame target):         %.1f ms\n", 1000 * s.globals);
  std::printf("  music + pictures + first frame drawn:    %.1f ms\n",
              1000 * (s.firstFrame - s.globals));
}

void printScenes(const std::vector<SceneTimes>& scenes) {
  std::printf("%-8s %7s %10s %10s %10s\n", "scene", "frames", "median ms", "worst ms", "mean ms");
  for (const SceneTimes& s : scenes) {
    if (s.frameSeconds.empty()) continue;
    const Summary m = summarize(s.frameSeconds);
    std::printf("%-8s %7zu %10.2f %10.2f %10.2f\n", s.name, s.frameSeconds.size(), 1000 * m.median,
                1000 * m.worst, 1000 * m.mean);
  }
}

int measureStartup(const Options& o) {
  std::vector<double> music;
  std::vector<double> firstFrame;
  for (int run = 0; run < o.startup; ++run) {
    std::vector<StampedLine> lines;
    if (!runShow(o, 0.0, 2, lines, "clock")) return 1;
    const double start = musicStartOf(lines);
    const Startup s = startupOf(lines);
    if (start <= 0 || s.firstFrame <= 0) {
      std::fprintf(stderr, "scene_times: the show printed fewer than two frames\n");
      return 1;
    }
    std::printf("run %d: music starts %.1f ms, first frame %.1f ms, device %.1f ms\n", run + 1,
                1000 * start, 1000 * s.firstFrame, 1000 * s.device);
    music.push_back(start);
    firstFrame.push_back(s.firstFrame);
  }
  const Summary m = summarize(music);
  const Summary f = summarize(firstFrame);
  std::printf("music start: median %.1f ms, best %.1f ms, worst %.1f ms (%d runs)\n",
              1000 * m.median, 1000 * *std::min_element(music.begin(), music.end()), 1000 * m.worst,
              o.startup);
  std::printf("first frame: median %.1f ms, best %.1f ms, worst %.1f ms\n", 1000 * f.median,
              1000 * *std::min_element(firstFrame.begin(), firstFrame.end()), 1000 * f.worst);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: scene_times [--show PATH] [--dir DIR] [--sample N] [--startup N]\n");
    return 2;
  }
  if (o.startup > 0) return measureStartup(o);
  std::vector<SceneTimes> scenes = emptyScenes();
  if (o.sample == 0) {
    std::vector<StampedLine> lines;
    if (!runShow(o, 0.0, 0, lines)) return 1;
    const Startup s = startupOf(lines);
    if (s.firstFrame <= 0) {
      std::fprintf(stderr, "scene_times: the show printed no frame\n");
      return 1;
    }
    printStartup(s);
    addFrames(lines, scenes);
  } else {
    bool first = true;
    for (const SceneTimes& scene : emptyScenes()) {
      if (scene.start < 0) continue;  // "none" is no scene to start at
      std::vector<StampedLine> lines;
      if (!runShow(o, scene.start, o.sample, lines)) return 1;
      if (first) printStartup(startupOf(lines));
      first = false;
      addFrames(lines, scenes);
    }
  }
  printScenes(scenes);
  return 0;
}
