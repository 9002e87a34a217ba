#include "decoded_track.h"

#include <bass.h>
#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <system_error>
#include <thread>

#include "frame_decoder.h"
#include "layer_limits.h"

namespace bassport {
namespace {

// Bytes taken by an ID3v2 tag at the start, which is not audio.
std::size_t id3v2Bytes(const std::uint8_t* data, std::size_t size) {
  if (size < 10 || std::memcmp(data, "ID3", 3) != 0) return 0;
  std::size_t body = 0;
  for (int i = 6; i < 10; ++i) {
    if (data[i] & 0x80) return 0;  // not syncsafe: not a tag
    body = (body << 7) | data[i];
  }
  std::size_t footer = (data[5] & 0x10) ? 10 : 0;
  return std::min(size, 10 + body + footer);
}

// A Xing or Info tag in the first frame tells mpg123 how many frames follow,
// for gapless trimming. A damaged tag claiming billions of frames makes
// mpg123 spend minutes at the end of a tiny file (resampling walks every
// claimed frame), so a claim that the file cannot hold (no MP3 frame is
// shorter than 24 bytes) means the tag is ignored and the frames are decoded
// as they are. The first frame mpg123 accepts may follow any amount of junk,
// so every frame sync in the file is looked at; the tag sits just past the
// side information: 4 header bytes, then 9, 17 or 32 bytes by MPEG version
// and channels, 2 more with a CRC. Only those places count, so that audio
// data spelling "Info" does not cost a sound file its gapless trimming.
bool claimsImpossibleFrameCount(const std::uint8_t* data, std::size_t size) {
  constexpr std::size_t kMinFrameBytes = 24;
  constexpr std::size_t kTagOffsets[] = {13, 15, 21, 23, 36, 38};
  const std::uint64_t mostFrames = size / kMinFrameBytes + 1;
  const std::uint8_t* end = data + size;
  for (const std::uint8_t* sync = data;; ++sync) {
    sync = static_cast<const std::uint8_t*>(std::memchr(sync, 0xff, end - sync));
    if (sync == nullptr) return false;
    if (end - sync < 2 || (sync[1] & 0xe0) != 0xe0) continue;
    for (std::size_t offset : kTagOffsets) {
      if (static_cast<std::size_t>(end - sync) < offset + 12) break;
      const std::uint8_t* tag = sync + offset;
      if (std::memcmp(tag, "Xing", 4) != 0 && std::memcmp(tag, "Info", 4) != 0) continue;
      const bool hasFrames = (tag[7] & 0x01) != 0;
      const std::uint64_t frames =
          (std::uint64_t{tag[8]} << 24) | (tag[9] << 16) | (tag[10] << 8) | tag[11];
      if (hasFrames && frames > mostFrames) return true;
    }
  }
}

// The later half of a track, from frame `from` on, decoded on a thread of
// its own while the caller decodes the earlier half.
class LaterHalf {
 public:
  LaterHalf(const std::uint8_t* data, std::size_t size, bool ignoreInfoFrame, off_t from,
            std::size_t maxSamples)
      : from_(from) {
    if (!decoder_.open(data, size, ignoreInfoFrame)) return;
    try {
      // A damaged or resampled frame means it will not be joined: it stops
      // there rather than take a core from the earlier half for nothing.
      decoder_.stopWhenUnclean();
      thread_ = std::thread([this, maxSamples] {
        if (!decoder_.startAt(from_)) return;
        outcome_ = decoder_.decode(-1, maxSamples, &cancel_);
      });
    } catch (const std::system_error&) {
      // No second thread: the earlier half's decoder carries on alone.
    }
  }
  ~LaterHalf() {
    cancel_ = true;
    if (thread_.joinable()) thread_.join();
  }
  LaterHalf(const LaterHalf&) = delete;
  LaterHalf& operator=(const LaterHalf&) = delete;

  // Waits for the later half. True when it is the rest of the track exactly
  // as `earlier` would have gone on to decode it from its mark: it began at
  // the same frame of the file and nothing on either side was damaged or
  // resampled.
  bool carriesOn(const FrameDecoder& earlier) {
    if (!thread_.joinable()) return false;
    const FrameDecoder::Mark& mark = earlier.mark();
    // Damage or resampling before the mark rules the join out whatever the
    // later half holds: it need not be waited for.
    if (!mark.clean) cancel_ = true;
    thread_.join();
    return outcome_ == FrameDecoder::Outcome::Ended && decoder_.clean() && mark.clean &&
           decoder_.firstFrame() == from_ && decoder_.firstPosition() == mark.position;
  }
  FrameDecoder& decoder() { return decoder_; }

 private:
  FrameDecoder decoder_;
  const off_t from_;
  std::atomic<bool> cancel_{false};
  FrameDecoder::Outcome outcome_ = FrameDecoder::Outcome::Cancelled;
  std::thread thread_;
};

}  // namespace

int DecodedTrack::decode(const std::uint8_t* data, std::size_t size) {
  samples_.clear();
  if (size == 0) return BASS_ERROR_FILEFORM;
  if (size > kMaxFileBytes) return BASS_ERROR_FILEFORM;

  const bool ignoreInfoFrame = claimsImpossibleFrameCount(data, size);
  FrameDecoder decoder;
  if (!decoder.open(data, size, ignoreInfoFrame)) return BASS_ERROR_FILEFORM;
  const std::size_t maxSamples = static_cast<std::size_t>(kMaxStreamFrames) * kChannels;

  // The decode is most of start-up, so a long track is decoded from both
  // ends of its middle at once; where the later half does not carry on
  // exactly from the earlier one, this decoder decodes on through it.
  const off_t frames = decoder.expectedFrames();
  std::optional<LaterHalf> later;
  off_t middle = -1;
  if (frames >= kMinFramesToSplit) {
    middle = FrameDecoder::meetingFrameNear(frames / 2);
    later.emplace(data, size, ignoreInfoFrame, middle, maxSamples);
  }
  FrameDecoder::Outcome outcome = decoder.decode(middle, maxSamples, nullptr);
  if (outcome == FrameDecoder::Outcome::ReachedStop) {
    if (later->carriesOn(decoder)) {
      const std::size_t total = decoder.mark().samples + later->decoder().samples().size();
      if (total > maxSamples) return BASS_ERROR_MEM;
      decoder.joinAtMark(later->decoder());
    } else {
      outcome = decoder.decode(-1, maxSamples, nullptr);
    }
  }
  later.reset();
  if (outcome == FrameDecoder::Outcome::TooLong) return BASS_ERROR_MEM;

  samples_ = std::move(decoder.samples());
  const FrameTally& tally = decoder.tally();
  std::size_t audioBytes = size - id3v2Bytes(data, size);
  bool enoughFrames = tally.longestRun() >= kMinConsecutiveFrames;
  bool coversFile = static_cast<double>(tally.bytes()) >= kMinFrameCoverage * audioBytes;
  if (!enoughFrames || !coversFile || samples_.size() < kChannels) {
    samples_.clear();
    samples_.shrink_to_fit();
    return BASS_ERROR_FILEFORM;
  }
  samples_.resize(samples_.size() - samples_.size() % kChannels);
  // Room for a few frames more than came is not worth copying the track for.
  if (samples_.capacity() - samples_.size() > kSpareSamples) samples_.shrink_to_fit();
  return BASS_OK;
}

}  // namespace bassport
