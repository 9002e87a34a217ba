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

// A track of this many MP3 frames (3.3 s) or more is decoded in two halves at
// once; for a shorter one a second thread is not worth starting.
inline constexpr long kMinFramesToSplit = 128;

// Frames decoded unheard before a frame sought to. A layer III frame's data
// may begin up to 511 bytes before it (the bit reservoir), which at 32 kbit/s
// is up to 8 frames back, and its first granule overlaps the frame before:
// so many frames ahead, its samples are those of a decoder that started at
// the beginning. (mpg123's default of 4 is short of that at low rates.)
inline constexpr long kSeekPreframes = 12;
// mpg123's synthesis filter steps through a ring of 16 slots and rounds a
// little differently in some of them, so a decoder starting part-way is in
// step with one that started at frame 0 only where it starts at a multiple
// of 16 frames (found on mono tracks: half of all other starts differ by one
// in the last bit, for the rest of the track).
inline constexpr long kSynthRingFrames = 16;

// Damage in a file is skipped; this many decoding errors in a row end it.
inline constexpr int kMaxDecodeFailures = 16;

// Requested SDL buffer, in sample frames (23 ms at 44.1 kHz).
inline constexpr int kDeviceBufferFrames = 1024;

// BASS_DATA_FFT512: 512 samples in, 256 magnitudes out.
inline constexpr int kFftSize = 512;
inline constexpr int kFftBins = kFftSize / 2;

}  // namespace bassport
