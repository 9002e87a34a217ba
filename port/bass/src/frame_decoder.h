// One libmpg123 decoder reading an MP3 held in memory, frame by frame, into
// 44.1 kHz 16-bit stereo. It can start at any frame (mpg123 decodes a few
// frames ahead of it unheard, so the samples are those of a decoder that
// started at the beginning) and stop at one, so two of them can decode the
// two halves of a track at once.
#pragma once

#include <mpg123.h>
#include <sys/types.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "frame_tally.h"

namespace bassport {

class FrameDecoder {
 public:
  enum class Outcome { Ended, ReachedStop, TooLong, Cancelled, Unclean };

  // Where the frame at the stop was met, and what came before it.
  struct Mark {
    std::size_t samples = 0;
    FrameTally tally;
    off_t position = -1;  // of the stop frame, in the file
    bool clean = false;   // everything before it decoded at 44.1 kHz without an error
  };

  // Reads `size` bytes at `data`, which must outlive the decoder. False when
  // mpg123 refuses to open them.
  bool open(const std::uint8_t* data, std::size_t size, bool ignoreInfoFrame);
  // mpg123's count of the frames to come: exact from an Info tag, else
  // estimated from the file's size. 0 when it cannot tell.
  off_t expectedFrames();
  // The frame at or before `frame` (but not before the preframes) where a
  // decoder started with startAt() gives the samples of one that started at
  // the beginning.
  static off_t meetingFrameNear(off_t frame);
  // Makes `frame` the first one decoded, as told by meetingFrameNear(). False
  // when there is no such frame.
  bool startAt(off_t frame);

  // Appends frames until the stream ends (damage is skipped; too many errors
  // in a row end it), the samples would pass `maxSamples`, `cancel` is set,
  // or a frame numbered `stopAt` or later has been appended (`mark()` then
  // says what came before it). Called again, it carries on where it stopped,
  // exactly as if it had not stopped. A negative `stopAt` never stops.
  Outcome decode(off_t stopAt, std::size_t maxSamples, const std::atomic<bool>* cancel);
  // From now on decode() ends (Unclean) at the first damaged or resampled
  // frame: for a decoder whose samples are of no use once it is not clean.
  void stopWhenUnclean() { stopWhenUnclean_ = true; }

  const Mark& mark() const { return mark_; }
  // Every frame decoded at 44.1 kHz without an error so far.
  bool clean() const { return clean_; }
  off_t firstFrame() const { return firstFrame_; }
  off_t firstPosition() const { return firstPosition_; }
  const FrameTally& tally() const { return tally_; }
  std::vector<std::int16_t>& samples() { return samples_; }

  // Back to what came before the stop frame, then the frames of `later`,
  // which started there.
  void joinAtMark(FrameDecoder& later);

 private:
  struct Source {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t at = 0;
  };
  struct HandleDeleter {
    void operator()(mpg123_handle* handle) const;
  };

  // mpg123 reads through these from the bytes already in memory, so it can
  // seek (for tags at the end, or to a frame) without touching the file.
  static mpg123_ssize_t readSource(void* source, void* buffer, std::size_t bytes);
  static off_t seekSource(void* source, off_t offset, int whence);

  void reserveRoom(std::size_t maxSamples);

  Source source_;
  std::unique_ptr<mpg123_handle, HandleDeleter> handle_;
  std::vector<std::int16_t> samples_;
  FrameTally tally_;
  Mark mark_;
  bool clean_ = true;
  bool stopWhenUnclean_ = false;
  bool reserved_ = false;
  bool marked_ = false;
  int failures_ = 0;
  off_t lastPosition_ = -1;
  off_t firstFrame_ = -1;
  off_t firstPosition_ = -1;
};

}  // namespace bassport
