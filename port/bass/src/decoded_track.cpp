#include "decoded_track.h"

#include <bass.h>
#include <mpg123.h>
#include <sys/types.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "layer_limits.h"

namespace bassport {
namespace {

// mpg123 reads through these callbacks from the bytes already in memory, so
// it can seek (for tags at the end) without touching the file again.
struct MemorySource {
  const std::uint8_t* data;
  std::size_t size;
  std::size_t at;
};

mpg123_ssize_t readMemory(void* handle, void* buffer, std::size_t bytes) {
  auto* source = static_cast<MemorySource*>(handle);
  std::size_t n = std::min(bytes, source->size - source->at);
  std::memcpy(buffer, source->data + source->at, n);
  source->at += n;
  return static_cast<mpg123_ssize_t>(n);
}

off_t seekMemory(void* handle, off_t offset, int whence) {
  auto* source = static_cast<MemorySource*>(handle);
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

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

Handle openDecoder(MemorySource* source, bool ignoreInfoFrame) {
  static const bool initialised = mpg123_init() == MPG123_OK;  // a no-op since 1.27
  if (!initialised) return nullptr;
  int error = MPG123_OK;
  Handle handle(mpg123_new(nullptr, &error));
  if (!handle) return nullptr;
  mpg123_handle* mh = handle.get();
  // Gapless drops the encoder's delay and padding; only 44.1 kHz stereo
  // 16-bit is allowed out, so mpg123 resamples other rates and doubles mono.
  const long flags = MPG123_GAPLESS | MPG123_QUIET | MPG123_AUTO_RESAMPLE |
                     (ignoreInfoFrame ? MPG123_IGNORE_INFOFRAME : 0);
  if (mpg123_param(mh, MPG123_FLAGS, flags, 0) != MPG123_OK ||
      mpg123_format_none(mh) != MPG123_OK ||
      mpg123_format(mh, kSampleRate, MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
      mpg123_replace_reader_handle(mh, readMemory, seekMemory, nullptr) != MPG123_OK ||
      mpg123_open_handle(mh, source) != MPG123_OK) {
    return nullptr;
  }
  return handle;
}

// Room for as many samples as mpg123 expects (exact from a gapless Info tag,
// else its estimate from the file's size), taken once it knows the format:
// a track grown by doubling is copied and faulted in about twice over.
void reserveRoom(mpg123_handle* mh, std::size_t maxSamples, std::vector<std::int16_t>& samples) {
  const off_t length = mpg123_length(mh);
  if (length <= 0) return;
  const std::size_t wanted = static_cast<std::size_t>(length) * kChannels + kSpareSamples;
  if (wanted > maxSamples || wanted > kMaxReservedSamples) return;
  try {
    samples.reserve(wanted);
  } catch (const std::bad_alloc&) {
    // Then the track grows as it comes, as without the estimate.
  }
}

}  // namespace

int DecodedTrack::decode(const std::uint8_t* data, std::size_t size) {
  samples_.clear();
  if (size == 0) return BASS_ERROR_FILEFORM;
  if (size > kMaxFileBytes) return BASS_ERROR_FILEFORM;

  MemorySource source{data, size, 0};
  Handle handle = openDecoder(&source, claimsImpossibleFrameCount(data, size));
  if (!handle) return BASS_ERROR_FILEFORM;
  mpg123_handle* mh = handle.get();

  // Frame bookkeeping to tell an MP3 from bytes that merely contain sync
  // patterns: the longest run of frames that follow each other directly,
  // and how much of the file the frames cover.
  std::size_t frameBytes = 0;
  int run = 0;
  int longestRun = 0;
  off_t expectedNext = -1;
  off_t lastFrame = -1;

  int failures = 0;
  bool reserved = false;
  const std::size_t maxSamples = static_cast<std::size_t>(kMaxStreamFrames) * kChannels;
  for (;;) {
    off_t frameNumber = 0;
    unsigned char* audio = nullptr;
    std::size_t bytes = 0;
    int result = mpg123_decode_frame(mh, &frameNumber, &audio, &bytes);
    if (result == MPG123_DONE) break;
    if (result == MPG123_NEW_FORMAT) continue;
    if (result != MPG123_OK) {
      // mpg123 resyncs past damage on the next call; a stream that keeps
      // failing ends where it is.
      if (++failures > kMaxDecodeFailures) break;
      continue;
    }
    failures = 0;
    if (!reserved) {
      reserved = true;
      reserveRoom(mh, maxSamples, samples_);
    }
    off_t position = mpg123_framepos(mh);
    mpg123_frameinfo info{};
    if (position >= 0 && position != lastFrame && mpg123_info(mh, &info) == MPG123_OK) {
      std::size_t length = static_cast<std::size_t>(info.framesize);  // header included
      frameBytes += length;
      run = (position == expectedNext) ? run + 1 : 1;
      longestRun = std::max(longestRun, run);
      expectedNext = position + static_cast<off_t>(length);
      lastFrame = position;
    }
    std::size_t count = bytes / sizeof(std::int16_t);
    if (samples_.size() + count > maxSamples) {
      samples_.clear();
      samples_.shrink_to_fit();
      return BASS_ERROR_MEM;
    }
    const auto* pcm = reinterpret_cast<const std::int16_t*>(audio);
    samples_.insert(samples_.end(), pcm, pcm + count);
  }

  std::size_t audioBytes = size - id3v2Bytes(data, size);
  bool enoughFrames = longestRun >= kMinConsecutiveFrames;
  bool coversFile = static_cast<double>(frameBytes) >= kMinFrameCoverage * audioBytes;
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
