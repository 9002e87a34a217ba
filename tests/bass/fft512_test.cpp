// The FFT512 routine on samples: scale, leakage, silence, and which samples
// it looks at.
#include "fft512.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using bassport::kFftBins;
using bassport::kFftSize;
using bassport::Spectrum;

std::vector<float> binSine(double bin, float amplitude, double phase = 0.0) {
  std::vector<float> mono(kFftSize);
  for (int n = 0; n < kFftSize; ++n) {
    mono[n] = amplitude *
              static_cast<float>(std::sin(2.0 * std::numbers::pi * bin * n / kFftSize + phase));
  }
  return mono;
}

TEST(Spectrum, FullScaleSineAtABinCentreReadsOne) {
  Spectrum spectrum;
  std::vector<float> out(kFftBins);
  for (double phase : {0.0, 0.7, 2.0}) {
    spectrum.magnitudes(binSine(10, 1.0f, phase).data(), out.data());
    EXPECT_NEAR(out[10], 1.0f, 0.02f) << phase;
    // Hann leaks into the two neighbours only.
    EXPECT_NEAR(out[9], 0.5f, 0.02f);
    EXPECT_NEAR(out[11], 0.5f, 0.02f);
    for (int k = 0; k < kFftBins; ++k) {
      if (std::abs(k - 10) > 2) {
        EXPECT_LT(out[k], 0.01f) << "bin " << k;
      }
    }
  }
  // Linear in the amplitude, and right for a high bin too.
  spectrum.magnitudes(binSine(200, 0.25f).data(), out.data());
  EXPECT_NEAR(out[200], 0.25f, 0.005f);
  EXPECT_LT(out[10], 0.01f);
}

TEST(Spectrum, SilenceIsZeroEverywhere) {
  Spectrum spectrum;
  std::vector<float> silence(kFftSize, 0.0f);
  std::vector<float> out(kFftBins, 7.0f);
  spectrum.magnitudes(silence.data(), out.data());
  for (float v : out) EXPECT_EQ(v, 0.0f);
}

TEST(Spectrum, ReadsTheMonoSamplesEndingAtThePosition) {
  // Left counts frames, right is its negative plus one: the mean is 0.5
  // everywhere, which tells the mix; the left values tell the window.
  const std::int64_t frames = 2000;
  std::vector<std::int16_t> stereo(2 * frames);
  for (std::int64_t f = 0; f < frames; ++f) {
    stereo[2 * f] = static_cast<std::int16_t>(f);
    stereo[2 * f + 1] = static_cast<std::int16_t>(16384 - f);
  }
  std::vector<float> mono(kFftSize);
  Spectrum::monoEndingAt(stereo.data(), frames, 1000, mono.data());
  for (float v : mono) EXPECT_FLOAT_EQ(v, 0.25f);

  for (std::int64_t f = 0; f < frames; ++f) stereo[2 * f + 1] = stereo[2 * f];
  Spectrum::monoEndingAt(stereo.data(), frames, 1000, mono.data());
  EXPECT_FLOAT_EQ(mono.front(), (1000 - kFftSize) / 32768.0f);
  EXPECT_FLOAT_EQ(mono.back(), 999 / 32768.0f);

  // Near the start, what came before the stream is silence.
  Spectrum::monoEndingAt(stereo.data(), frames, 100, mono.data());
  EXPECT_EQ(mono[kFftSize - 101], 0.0f);
  EXPECT_FLOAT_EQ(mono[kFftSize - 100], 0.0f);  // frame 0 is 0 itself
  EXPECT_FLOAT_EQ(mono[kFftSize - 1], 99 / 32768.0f);

  // Past the end it is the last samples of the stream.
  Spectrum::monoEndingAt(stereo.data(), frames, frames + 5000, mono.data());
  EXPECT_FLOAT_EQ(mono.back(), (frames - 1) / 32768.0f);
}

}  // namespace
