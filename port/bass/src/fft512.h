// The 512-point spectrum behind BASS_DATA_FFT512: Hann window, magnitudes of
// the first 256 bins, scaled so that a full-scale sine at a bin's centre
// frequency reads 1.0 in that bin.
#pragma once

#include <kiss_fftr.h>

#include <array>
#include <cstdint>

#include "layer_limits.h"

namespace bassport {

class Spectrum {
 public:
  Spectrum();
  ~Spectrum();
  Spectrum(const Spectrum&) = delete;
  Spectrum& operator=(const Spectrum&) = delete;

  // `mono`: kFftSize samples, full scale +/-1. Writes kFftBins magnitudes.
  void magnitudes(const float* mono, float* out);

  // The kFftSize mono samples (mean of the channels) that end at `frame` of
  // interleaved 16-bit stereo `samples`, zeros before the first frame.
  static void monoEndingAt(const std::int16_t* samples, std::int64_t frames, std::int64_t frame,
                           float* mono);

 private:
  kiss_fftr_cfg config_;
  std::array<float, kFftSize> window_;
  std::array<float, kFftSize> windowed_;
  std::array<kiss_fft_cpx, kFftBins + 1> bins_;
};

}  // namespace bassport
