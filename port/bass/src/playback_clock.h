// How far playback has got: the three clocks the layer can run on. Each
// counts sample frames heard since its last reset, only while running. They
// are computed from the time they are asked at, never from a thread of their
// own. Callers hold the transport's lock.
#pragma once

#include <chrono>
#include <cstdint>

namespace bassport {

using Time = std::chrono::steady_clock::time_point;

class PlaybackClock {
 public:
  virtual ~PlaybackClock() = default;
  // Counting starts again from zero.
  virtual void reset(Time now) = 0;
  virtual void setRunning(bool running, Time now) = 0;
  // Sample frames heard since the last reset; never less than a previous
  // answer since that reset.
  virtual std::int64_t elapsed(Time now) = 0;
};

// Silent, real time.
class RealTimeClock final : public PlaybackClock {
 public:
  void reset(Time now) override;
  void setRunning(bool running, Time now) override;
  std::int64_t elapsed(Time now) override;

 private:
  bool running_ = false;
  std::chrono::steady_clock::duration accumulated_{};
  Time since_{};
};

// Silent; every presented frame is exactly 1/fps s of music.
class FrameClock final : public PlaybackClock {
 public:
  explicit FrameClock(double fps) : fps_(fps) {}
  void reset(Time now) override;
  void setRunning(bool running, Time now) override;
  std::int64_t elapsed(Time now) override;
  // A frame was presented.
  void advance();

 private:
  double fps_;
  bool running_ = false;
  std::int64_t frames_ = 0;
};

// The sound card: what was handed to the output minus what is still
// buffered, interpolated between the output's callbacks.
class DeviceClock final : public PlaybackClock {
 public:
  // `latencyFrames`: how much of what was handed over is not yet heard.
  explicit DeviceClock(std::int64_t latencyFrames) : latency_(latencyFrames) {}
  void reset(Time now) override;
  void setRunning(bool running, Time now) override;
  std::int64_t elapsed(Time now) override;
  // The output took `frames` more sample frames at `now`.
  void rendered(std::int64_t frames, Time now);
  // Sample frames handed to the output since the last reset.
  std::int64_t written() const { return written_; }

 private:
  std::int64_t latency_;
  bool running_ = false;
  std::int64_t written_ = 0;
  bool anchored_ = false;
  std::int64_t anchorFrames_ = 0;  // heard at anchorTime_
  Time anchorTime_{};
  std::int64_t ceiling_ = 0;  // cannot have heard more than this yet
  std::int64_t reported_ = 0;
};

}  // namespace bassport
