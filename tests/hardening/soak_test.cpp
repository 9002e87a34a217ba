// A long run of random seeking, pausing and resuming through a key script
// made from a fixed seed: the show must neither crash nor grow.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "show_process.h"

namespace hardening {
namespace {

// A key script of `frames` frames. It follows the music time as the frame
// clock will have it, so that it can keep the show away from its end
// (98.27 s ends it) while still visiting every scene.
std::string randomKeys(int frames, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::ostringstream script;
  double t = 0.0, paused = 0.0;
  bool playing = true;
  auto press = [&](int pump, char key) {
    script << pump << ' ' << key << " down\n" << pump + 1 << ' ' << key << " up\n";
  };
  // First a tour of all four scenes at 0.9 s a frame, so that every picture
  // has been drawn before memory is first looked at.
  script << "1 R down\n";
  int frame = 1;
  for (; t < 95.0; ++frame) t += 0.9 + 1.0 / 60.0;
  script << frame << " R up\n";
  press(frame + 1, 'D');  // no E before: back to the start
  t = 1.0 / 60.0;
  frame += 3;
  for (; frame < frames - 2; frame += 2) {
    // One key per two frames, or none; the time each key leaves behind.
    switch (random() % 10) {
      case 0:
        if (t < 90.0) press(frame, 'R'), t += 0.9;
        break;
      case 1:
        if (t < 94.0) press(frame, 'W'), t += 0.1;
        break;
      case 2:
        press(frame, 'Q'), t += 0.01;
        break;
      case 3:
        if (t > 0.2) press(frame, 'S'), t -= 0.1;
        break;
      case 4:
        if (t > 0.2) press(frame, 'A'), t -= 0.01;
        break;
      case 5:
        if (t < 85.0) press(frame, 'E'), paused = t, playing = false;
        break;
      case 6:
        press(frame, 'D'), t = paused, playing = true;
        break;
      default:
        break;
    }
    if (playing) t += 2.0 / 60.0;
    // The estimate drifts a little from the show's own time; well before the
    // end, S is held for 120 frames, about 10 s back whatever the estimate.
    if (t > 90.0) {
      script << frame + 2 << " S down\n" << frame + 122 << " S up\n";
      frame += 122;
      t -= 120 * (0.1 - (playing ? 1.0 / 60.0 : 0.0));
    }
  }
  script << frames << " ESCAPE down\n";
  return script.str();
}

long residentKiB(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    long kib = 0;
    if (std::sscanf(line.c_str(), "VmRSS: %ld kB", &kib) == 1) return kib;
  }
  return -1;
}

void soak(int frames) {
  ShowRun run =
      showRun("soak_" + std::to_string(frames), builtData(), randomKeys(frames, 20240518), 0.0);
  run.timeLimitSeconds = frames / 5 + 60;
  // Early: after the tour and the first stretch of random keys; late: well
  // before Escape, since the lines reach us a pipe's buffer behind the show.
  const long early = std::min(600L, frames / 3L), late = frames - 250L;
  long earlyKiB = -1, lateKiB = -1, peakKiB = 0;
  run.onFrame = [&](pid_t pid, long frame) {
    if (frame % 50 == 0 || frame == early || frame == late) {
      long now = residentKiB(pid);
      peakKiB = std::max(peakKiB, now);
      if (frame == early) earlyKiB = now;
      if (frame == late) lateKiB = now;
    }
  };
  ShowResult result = runShow(run);
  EXPECT_FALSE(result.timedOut);
  EXPECT_EQ(result.signal, 0);
  EXPECT_EQ(result.status, 0);
  ASSERT_EQ(result.times.size(), static_cast<std::size_t>(frames)) << "only Escape ended it";
  double lowest = 1e9, highest = -1e9;
  for (double t : result.times) lowest = std::min(lowest, t), highest = std::max(highest, t);
  EXPECT_LT(lowest, 12.9) << "the opening scene was visited";
  EXPECT_GT(highest, 79.0) << "the closing scene was visited";
  ASSERT_GT(earlyKiB, 0);
  ASSERT_GT(lateKiB, 0);
  std::printf("resident: %ld KiB at frame %ld, %ld KiB at frame %ld, peak %ld KiB; %.1f s\n",
              earlyKiB, early, lateKiB, late, peakKiB, result.wallSeconds);
  // Nothing is loaded or created while the show runs; a little slack for
  // the allocator's own bookkeeping.
  EXPECT_LE(lateKiB - earlyKiB, 2048) << "memory grew while the show ran";
}

// The default run; the long form has the label soak (ctest -C soak -L soak).
// Sanitizer builds run every frame several times slower.
TEST(Soak, RandomKeysShort) { soak(sanitizedBuild() ? 500 : 1500); }
TEST(Soak, RandomKeysLong) { soak(20000); }

}  // namespace
}  // namespace hardening
