// Every limit of the audio layer, named once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace bassport {

// The one output format: positions are bytes of 44.1 kHz 16-bit stereo.
inline constexpr int kSampleRate = 44100;
inline constexpr int kChannels = 2;
inline constexpr int kBytesPerFrame = 4;

// A file above this size is refused before it is read, so a wrong or hostile
// file cannot make the layer allocate without bound.
inline constexpr std::size_t kMaxFileBytes = std::size_t{256} << 20;

// Whole tracks are decoded into memory (16-bit stereo, 10.6 MB a minute);
// this caps what a small, very long file can expand to (about 318 MB).
inline constexpr std::int64_t kMaxStreamFrames = std::int64_t{30} * 60 * kSampleRate;

// What mpg123 expects a track to hold is reserved at its first frame, up to
// this (6 minutes, 64 MB), plus a few frames' room to spare; a track that
// comes out shorter than its room by more than that is trimmed to size.
inline constexpr std::size_t kMaxReservedSamples = std::size_t{6} * 60 * kSampleRate * kChannels;
inline constexpr std::size_t kSpareSamples = std::size_t{4} * 1152 * kChannels;

// mpg123 will lock onto frame-sync patterns in any bytes. A real MP3 has a
// long run of back-to-back frames that cover most of the file; noise gives
// short runs with junk between them.
inline constexpr int kMinConsecutiveFrames = 8;
inline constexpr double kMinFrameCoverage = 0.5;

// Damage in a file is skipped; this many decoding errors in a row end it.
inline constexpr int kMaxDecodeFailures = 16;

// Requested SDL buffer, in sample frames (23 ms at 44.1 kHz).
inline constexpr int kDeviceBufferFrames = 1024;

// BASS_DATA_FFT512: 512 samples in, 256 magnitudes out.
inline constexpr int kFftSize = 512;
inline constexpr int kFftBins = kFftSize / 2;

}  // namespace bassport
