#include "fft512.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace bassport {
namespace {

// A sine of amplitude A centred on bin k gives |X[k]| = A * N/2 * 0.5 (the
// periodic Hann window's coherent gain), so A = |X[k]| * 4 / N.
constexpr float kScale = 4.0f / kFftSize;

}  // namespace

Spectrum::Spectrum() : config_(kiss_fftr_alloc(kFftSize, 0, nullptr, nullptr)) {
  // Periodic Hann: its coherent gain is exactly 0.5.
  for (int n = 0; n < kFftSize; ++n) {
    window_[n] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / kFftSize));
  }
}

Spectrum::~Spectrum() { kiss_fftr_free(config_); }

void Spectrum::magnitudes(const float* mono, float* out) {
  if (config_ == nullptr) {
    std::fill(out, out + kFftBins, 0.0f);
    return;
  }
  for (int n = 0; n < kFftSize; ++n) windowed_[n] = mono[n] * window_[n];
  kiss_fftr(config_, windowed_.data(), bins_.data());
  for (int k = 0; k < kFftBins; ++k) {
    out[k] = std::hypot(bins_[k].r, bins_[k].i) * kScale;
  }
}

void Spectrum::monoEndingAt(const std::int16_t* samples, std::int64_t frames, std::int64_t frame,
                            float* mono) {
  frame = std::clamp<std::int64_t>(frame, 0, frames);
  std::int64_t first = frame - kFftSize;
  for (int n = 0; n < kFftSize; ++n) {
    std::int64_t at = first + n;
    if (at < 0) {
      mono[n] = 0.0f;
      continue;
    }
    float left = samples[2 * at];
    float right = samples[2 * at + 1];
    mono[n] = (left + right) * (0.5f / 32768.0f);
  }
}

}  // namespace bassport
