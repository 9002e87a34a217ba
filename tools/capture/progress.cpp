#include "progress.h"

#include <algorithm>

Progress::Progress(long totalFrames, bool terminal, std::FILE* out)
    : total_(std::max(1L, totalFrames)),
      terminal_(terminal),
      out_(out),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

void Progress::update(long done) {
  auto now = std::chrono::steady_clock::now();
  double elapsed = std::chrono::duration<double>(now - start_).count();
  double rate = elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0;
  double left = rate > 0 ? static_cast<double>(total_ - done) / rate : 0.0;
  int percent = static_cast<int>(std::min(100L, done * 100 / total_));
  if (terminal_) {
    if (now - lastDraw_ < std::chrono::milliseconds(100) && done < total_) return;
    lastDraw_ = now;
    const int width = 30;
    int filled = percent * width / 100;
    std::fprintf(out_, "\r[%.*s%.*s] %3d%%  %ld/%ld frames  %.0f fps  %.0f s left ", filled,
                 "##############################", width - filled, "------------------------------",
                 percent, done, total_, rate, left);
    std::fflush(out_);
  } else {
    int tenth = percent / 10;
    if (tenth == lastTenth_) return;
    lastTenth_ = tenth;
    if (done <= 1) {  // the show's start-up so far: no measure of the frames to come
      std::fprintf(out_, "capture: %d%% (%ld of %ld frames)\n", percent, done, total_);
    } else {
      std::fprintf(out_, "capture: %d%% (%ld of %ld frames, %.0f fps, %.0f s left)\n", percent,
                   done, total_, rate, left);
    }
    std::fflush(out_);
  }
}

void Progress::finish(long done) {
  double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  if (terminal_) std::fprintf(out_, "\n");
  std::fprintf(out_, "capture: %ld frames in %.1f s (%.0f fps)\n", done, elapsed,
               elapsed > 0 ? static_cast<double>(done) / elapsed : 0.0);
}
