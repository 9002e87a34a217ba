// Small signal blocks for the synthesizer, all deterministic.
#pragma once

#include <cmath>
#include <cstdint>

namespace dsp {

constexpr double kPi = 3.14159265358979323846;

inline double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// White noise in [-1, 1) from a fixed-seed linear congruential generator.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed) {}
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
  }

 private:
  std::uint32_t state_;
};

// A sawtooth with the polyBLEP correction at its jump, so high notes do not
// alias into a hiss.
class Saw {
 public:
  explicit Saw(double phase = 0.0) : phase_(phase) {}
  double next(double hz, double rate) {
    double dt = hz / rate;
    double value = 2.0 * phase_ - 1.0;
    if (phase_ < dt) {
      double t = phase_ / dt;
      value -= t + t - t * t - 1.0;
    } else if (phase_ > 1.0 - dt) {
      double t = (phase_ - 1.0) / dt;
      value -= t * t + t + t + 1.0;
    }
    phase_ += dt;
    if (phase_ >= 1.0) phase_ -= 1.0;
    return value;
  }

 private:
  double phase_;
};

// Chamberlin state-variable filter; stable for cutoffs below a sixth of the
// sample rate, which is all it is asked for.
class StateVariable {
 public:
  void set(double cutoffHz, double resonance, double rate) {
    f_ = 2.0 * std::sin(kPi * std::fmin(cutoffHz, rate / 6.5) / rate);
    q_ = 1.0 / resonance;
  }
  void run(double in) {
    low_ += f_ * band_;
    double high = in - low_ - q_ * band_;
    band_ += f_ * high;
    high_ = high;
  }
  double low() const { return low_; }
  double band() const { return band_; }
  double high() const { return high_; }

 private:
  double f_ = 0.1, q_ = 1.0;
  double low_ = 0.0, band_ = 0.0, high_ = 0.0;
};

}  // namespace dsp
