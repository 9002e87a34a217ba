// A whole MP3 (MPEG audio layer 1-3) decoded into memory as 44.1 kHz 16-bit
// stereo: gapless, so that every position is exact and the spectrum at any
// moment is a lookup.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace bassport {

class DecodedTrack {
 public:
  // Decodes `size` bytes of a file. Returns BASS_OK or the BASS error code
  // that says why the bytes are not a stream this layer can play.
  int decode(const std::uint8_t* data, std::size_t size);

  std::int64_t frames() const { return static_cast<std::int64_t>(samples_.size() / 2); }
  // Interleaved left, right.
  const std::int16_t* samples() const { return samples_.data(); }

 private:
  std::vector<std::int16_t> samples_;
};

}  // namespace bassport
