// After start-up the show takes no heap memory per frame: not in its own
// code, not in the audio layer, not in the device. Every allocation made by
// any thread during a span of whole frames is counted, with where it came
// from.
#include <gtest/gtest.h>
#include <win32_port.h>

#include <string>
#include <vector>

#include "alloc_counter.h"
#include "inprocess_show.h"

namespace hardening {
namespace {

struct SceneCase {
  const char* label;
  double start;
  bool keys;  // seek, pause and resume keys during the counted frames
};

void PrintTo(const SceneCase& c, std::ostream* os) { *os << c.label; }

const SceneCase kScenes[] = {
    {"opening", 5.0, false},
    {"pulse", 20.0, false},
    {"text", 40.0, false},
    {"closing", 85.0, false},
    {"keys_in_the_text_scene", 55.0, true},
};

// The first frames may still set things up once (the output buffer of the
// first printed line, the device's worker threads).
constexpr int kWarmUpFrames = 4;
constexpr int kCountedFrames = 12;

struct Counted {
  long own = 0;     // the show's code, the audio and window layers
  long device = 0;  // inside the software device (d3d9impl)
  std::string report;
};

// Counts the allocations of kCountedFrames whole frames of the show,
// starting at `scene`, and sorts them by whether the device made them.
Counted countFrames(const SceneCase& scene) {
  InProcessRun run;
  run.startSeconds = scene.start;
  run.frames = kWarmUpFrames + kCountedFrames + 1;
  run.onFrame = [&](int frame) {
    if (frame == kWarmUpFrames) alloccount::start();
    if (frame == kWarmUpFrames + kCountedFrames) alloccount::stop();
    if (!scene.keys) return;
    // One key at a time, each held for one frame: Q, S, W, E (pause), then
    // D (resume and seek to the paused time).
    const int keys[] = {'Q', 'S', 'W', 'E', 'D'};
    int step = frame - kWarmUpFrames;
    for (int i = 0; i < 5; ++i) win32port::setKeyDown(keys[i], step == 2 * i + 1);
  };
  int frames = runShowInProcess(run);
  EXPECT_EQ(frames, run.frames);
  Counted counted;
  counted.own = alloccount::unattributed();
  for (const alloccount::Site& site : alloccount::sites()) {
    bool inDevice = site.stack.find("d3d9impl") != std::string::npos;
    (inDevice ? counted.device : counted.own) += site.count;
    counted.report +=
        (inDevice ? "device, " : "show, ") + std::to_string(site.count) + " from:\n" + site.stack;
  }
  return counted;
}

class FrameAllocations : public ::testing::TestWithParam<SceneCase> {};

TEST_P(FrameAllocations, NoneInTheShowOrTheAudioLayer) {
  Counted counted = countFrames(GetParam());
  EXPECT_EQ(counted.own, 0) << "in " << kCountedFrames << " frames\n" << counted.report;
  if (counted.device != 0) {
    std::printf("note: the device made %ld allocations in %d frames\n", counted.device,
                kCountedFrames);
  }
}

// The device keeps what a draw needs from draw to draw: the vertex order,
// the transformed vertices, the triangles and their bands, the clipped
// polygon, the job handed to the workers, and the second block that a
// DISCARD lock switches to.
TEST_P(FrameAllocations, NoneInTheDevice) {
  Counted counted = countFrames(GetParam());
  EXPECT_EQ(counted.device, 0) << "in " << kCountedFrames << " frames\n" << counted.report;
}

INSTANTIATE_TEST_SUITE_P(Scenes, FrameAllocations, ::testing::ValuesIn(kScenes),
                         [](const auto& p) { return std::string(p.param.label); });

}  // namespace
}  // namespace hardening
