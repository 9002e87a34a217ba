// The streams and the one output they play on: which stream the clock
// drives, whether the output runs, and every position. One lock guards it
// all, taken by the show's thread and by the sound card's callback.
#pragma once

#include <bass.h>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

#include "decoded_track.h"
#include "fft512.h"
#include "playback_clock.h"

namespace bassport {

class Transport {
 public:
  // `frames` and `device` point into `clock` when it is of that kind.
  Transport(std::unique_ptr<PlaybackClock> clock, FrameClock* frames, DeviceClock* device);

  // A new stream at `startFrame` (clamped to its length), not playing.
  HSTREAM create(DecodedTrack track, std::int64_t startFrame);
  bool free(HSTREAM handle);
  bool has(HSTREAM handle);

  // BASS_OK or the error code. Starting needs the output running.
  int play(HSTREAM handle, bool fromStart);
  void pauseOutput();
  void stopOutput();
  void startOutput();

  // Sample frames; -1 for an unknown handle.
  std::int64_t position(HSTREAM handle);
  std::int64_t length(HSTREAM handle);
  // Clamps to the length. BASS_OK, BASS_ERROR_HANDLE or BASS_ERROR_POSITION.
  int setPosition(HSTREAM handle, std::int64_t frame);

  // kFftBins magnitudes ending at the heard position; zeros when the stream
  // is not playing. BASS_OK or BASS_ERROR_HANDLE (zeros too).
  int spectrum(HSTREAM handle, float* out);

  // The frame clock's tick: a frame was presented.
  void framePresented();
  // The sound card's callback: fills `frames` interleaved stereo frames.
  void render(std::int16_t* out, int frames);

 private:
  struct Stream {
    DecodedTrack track;
    std::int64_t origin = 0;  // position when the clock was last reset
  };

  Stream* find(HSTREAM handle);
  std::int64_t positionOf(HSTREAM handle, const Stream& stream, Time now);
  // Writes the active stream's position into its origin and restarts the
  // clock from zero, before anything changes what the clock means.
  void settle(Time now);
  void updateRunning(Time now);

  std::mutex mutex_;
  std::unique_ptr<PlaybackClock> clock_;
  FrameClock* frames_;
  DeviceClock* device_;
  std::map<HSTREAM, std::unique_ptr<Stream>> streams_;
  HSTREAM nextHandle_ = 1;
  HSTREAM active_ = 0;  // the playing stream (heard unless the output is paused)
  bool outputRunning_ = true;
  Spectrum spectrum_;
  float mono_[kFftSize];
};

}  // namespace bassport
