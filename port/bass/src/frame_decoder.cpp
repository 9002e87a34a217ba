#include "frame_decoder.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>

#include "layer_limits.h"

namespace bassport {
mpg123_ssize_t FrameDecoder::readSource(void* handle, void* buffer, std::size_t bytes) {
  auto* source = static_cast<Source*>(handle);
  std::size_t n = std::min(bytes, source->size - source->at);
  std::memcpy(buffer, source->data + source->at, n);
  source->at += n;
  return static_cast<mpg123_ssize_t>(n);
}

off_t FrameDecoder::seekSource(void* handle, off_t offset, int whence) {
  auto* source = static_cast<Source*>(handle);
  off_t base = whence == SEEK_SET   ? 0
               : whence == SEEK_CUR ? static_cast<off_t>(source->at)
               : whence == SEEK_END ? static_cast<off_t>(source->size)
                                    : -1;
  if (base < 0) return -1;
  off_t target = base + offset;
  if (target < 0 || target > static_cast<off_t>(source->size)) return -1;
  source->at = static_cast<std::size_t>(target);
  return target;
}

void FrameDecoder::HandleDeleter::operator()(mpg123_handle* handle) const {
  mpg123_close(handle);
  mpg123_delete(handle);
}

bool FrameDecoder::open(const std::uint8_t* data, std::size_t size, bool ignoreInfoFrame) {
  static const bool initialised = mpg123_init() == MPG123_OK;  // a no-op since 1.27
  if (!initialised) return false;
  source_ = Source{data, size, 0};
  int error = MPG123_OK;
  handle_.reset(mpg123_new(nullptr, &error));
  if (!handle_) return false;
  mpg123_handle* mh = handle_.get();
  // Gapless drops the encoder's delay and padding; only 44.1 kHz stereo
  // 16-bit is allowed out, so mpg123 resamples other rates and doubles mono.
  const long flags = MPG123_GAPLESS | MPG123_QUIET | MPG123_AUTO_RESAMPLE |
                     (ignoreInfoFrame ? MPG123_IGNORE_INFOFRAME : 0);
  if (mpg123_param(mh, MPG123_FLAGS, flags, 0) != MPG123_OK ||
      mpg123_param(mh, MPG123_PREFRAMES, kSeekPreframes, 0) != MPG123_OK ||
      mpg123_format_none(mh) != MPG123_OK ||
      mpg123_format(mh, kSampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_replace_reader_handle(mh, readSource, seekSource, nullptr) != MPG123_OK ||
      mpg123_open_handle(mh, &source_) != MPG123_OK) {
    handle_.reset();
    return false;
  }
  return true;
}

off_t FrameDecoder::expectedFrames() {
  const off_t frames = mpg123_framelength(handle_.get());
  return frames > 0 ? frames : 0;
}

off_t FrameDecoder::meetingFrameNear(off_t frame) {
  const off_t unheard = std::max<off_t>(0, frame - kSeekPreframes);
  return unheard / kSynthRingFrames * kSynthRingFrames + kSeekPreframes;
}

bool FrameDecoder::startAt(off_t frame) {
  return mpg123_seek_frame(handle_.get(), frame, SEEK_SET) >= 0;
}

namespace {

// A whole track is tens of megabytes written once, front to back: in pages
// of 4 KiB that is thousands of page faults, each dearer than the decoding
// of its page where the machine is virtual. Large pages where the kernel
// has them (transparent huge pages on request); a hint, nothing else.
void preferLargePages(void* data, std::size_t bytes) {
  constexpr std::uintptr_t kLarge = std::uintptr_t{2} << 20;
  const auto from = (reinterpret_cast<std::uintptr_t>(data) + kLarge - 1) & ~(kLarge - 1);
  const auto to = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kLarge - 1);
  if (to > from) madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
}

}  // namespace

// Room for as many samples as mpg123 expects (exact from a gapless Info tag,
// else its estimate from the file's size), taken once it knows the format:
// a track grown by doubling is copied and faulted in about twice over.
void FrameDecoder::reserveRoom(std::size_t maxSamples) {
  mpg123_handle* mh = handle_.get();
  const off_t length = mpg123_length(mh);
  const off_t done = std::max<off_t>(0, mpg123_tell(mh));
  if (length <= done) return;
  const std::size_t wanted = static_cast<std::size_t>(length - done) * kChannels + kSpareSamples;
  if (wanted > maxSamples || wanted > kMaxReservedSamples) return;
  try {
    samples_.reserve(wanted);
  } catch (const std::bad_alloc&) {
    // Then the track grows as it comes, as without the estimate.
    return;
  }
  preferLargePages(samples_.data(), samples_.capacity() * sizeof(std::int16_t));
}

FrameDecoder::Outcome FrameDecoder::decode(off_t stopAt, std::size_t maxSamples,
                                           const std::atomic<bool>* cancel) {
  mpg123_handle* mh = handle_.get();
  for (;;) {
    if (cancel != nullptr && cancel->load(std::memory_order_relaxed)) return Outcome::Cancelled;
    off_t frameNumber = 0;
    unsigned char* audio = nullptr;
    std::size_t bytes = 0;
    int result = mpg123_decode_frame(mh, &frameNumber, &audio, &bytes);
    if (result == MPG123_DONE) return Outcome::Ended;
    if (result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_OK) {
      // mpg123 resyncs past damage on the next call; a stream that keeps
      // failing ends where it is.
      clean_ = false;
      if (stopWhenUnclean_) return Outcome::Unclean;
      if (++failures_ > kMaxDecodeFailures) return Outcome::Ended;
      continue;
    }
    failures_ = 0;
    if (!reserved_) {
      reserved_ = true;
      reserveRoom(maxSamples);
    }
    const bool stopHere = stopAt >= 0 && !marked_ && frameNumber >= stopAt;
    off_t position = mpg123_framepos(mh);
    if (stopHere) {
      marked_ = true;
      mark_ = Mark{samples_.size(), tally_, position, clean_};
    }
    if (firstFrame_ < 0) {
      firstFrame_ = frameNumber;
      firstPosition_ = position;
    }
    mpg123_frameinfo info{};
    if (position >= 0 && position != lastPosition_ && mpg123_info(mh, &info) == MPG123_OK) {
      tally_.add(position, static_cast<std::size_t>(info.framesize));
      lastPosition_ = position;
      // Resampling carries state from frame to frame that a decoder started
      // part-way would not have.
      if (info.rate != kSampleRate) clean_ = false;
      if (!clean_ && stopWhenUnclean_) return Outcome::Unclean;
    }
    std::size_t count = bytes / sizeof(std::int16_t);
    if (samples_.size() + count > maxSamples) return Outcome::TooLong;
    const auto* pcm = reinterpret_cast<const std::int16_t*>(audio);
    samples_.insert(samples_.end(), pcm, pcm + count);
    if (stopHere) return Outcome::ReachedStop;
  }
}

void FrameDecoder::joinAtMark(FrameDecoder& later) {
  samples_.resize(mark_.samples);
  samples_.insert(samples_.end(), later.samples_.begin(), later.samples_.end());
  tally_ = mark_.tally;
  tally_.append(later.tally_);
}

}  // namespace bassport
