#include "playback_clock.h"

#include <algorithm>
#include <cmath>

#include "layer_limits.h"

namespace bassport {
namespace {

std::int64_t framesIn(std::chrono::steady_clock::duration duration) {
  double seconds = std::chrono::duration<double>(duration).count();
  return static_cast<std::int64_t>(std::floor(seconds * kSampleRate));
}

}  // namespace

void RealTimeClock::reset(Time now) {
  accumulated_ = {};
  since_ = now;
}

void RealTimeClock::setRunning(bool running, Time now) {
  if (running == running_) return;
  if (running_) accumulated_ += now - since_;
  since_ = now;
  running_ = running;
}

std::int64_t RealTimeClock::elapsed(Time now) {
  auto total = accumulated_;
  if (running_ && now > since_) total += now - since_;
  return framesIn(total);
}

void FrameClock::reset(Time) { frames_ = 0; }

void FrameClock::setRunning(bool running, Time) { running_ = running; }

std::int64_t FrameClock::elapsed(Time) {
  // From the count, not summed per frame, so no rounding builds up.
  return std::llround(static_cast<double>(frames_) * kSampleRate / fps_);
}

void FrameClock::advance() {
  if (running_) ++frames_;
}

void DeviceClock::reset(Time) {
  written_ = 0;
  anchored_ = false;
  anchorFrames_ = 0;
  ceiling_ = 0;
  reported_ = 0;
}

void DeviceClock::setRunning(bool running, Time now) {
  if (running_ && !running) {
    // Freeze at what has been heard; the next anchor comes with the next
    // callback after the output runs again.
    reported_ = elapsed(now);
    anchorFrames_ = reported_;
    ceiling_ = reported_;
    anchored_ = false;
  }
  running_ = running;
}

void DeviceClock::rendered(std::int64_t frames, Time now) {
  // When the output asks for more, what it took before, less its latency,
  // has been heard; the interpolation may run up to the end of that.
  anchorFrames_ = std::max<std::int64_t>(0, written_ - latency_);
  written_ += frames;
  ceiling_ = std::max<std::int64_t>(0, written_ - latency_);
  anchorTime_ = now;
  anchored_ = true;
}

std::int64_t DeviceClock::elapsed(Time now) {
  if (!running_ || !anchored_) return reported_;
  std::int64_t heard = anchorFrames_;
  if (now > anchorTime_) heard += framesIn(now - anchorTime_);
  heard = std::min(heard, ceiling_);
  reported_ = std::max(reported_, heard);
  return reported_;
}

}  // namespace bassport
