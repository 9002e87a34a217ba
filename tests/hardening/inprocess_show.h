// The entry function's sequence, run inside a test program that links the
// show's global objects: start-up, the main loop until Escape, shutdown. The
// test watches each presented frame and can press keys between frames.
#pragma once

#include <functional>

namespace hardening {

struct InProcessRun {
  double startSeconds = 0.0;  // music time at which the stream starts
  int frames = 10;            // Escape is pressed after this many frames
  // Called after every presented frame (1, 2, ...), on the show's thread.
  std::function<void(int frame)> onFrame;
};

// Returns the main loop's frame count. Runs in the build folder, where the
// assets target put data/. Once per process: a second call throws.
int runShowInProcess(const InProcessRun& run);

}  // namespace hardening
