// Progress of a capture: a bar with frames per second and time left on a
// terminal, plain lines at every tenth otherwise.
#pragma once

#include <chrono>
#include <cstdio>

class Progress {
 public:
  Progress(long totalFrames, bool terminal, std::FILE* out);
  void update(long framesDone);
  void finish(long framesDone);

 private:
  long total_;
  bool terminal_;
  std::FILE* out_;
  int lastTenth_ = -1;
  std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point lastDraw_;
};
