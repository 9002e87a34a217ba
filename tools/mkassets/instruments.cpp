#include "instruments.h"

#include <algorithm>
#include <cmath>

#include "song_plan.h"

namespace {

constexpr double kRate = song::kSampleRate;
using dsp::kPi;

std::size_t frameAt(double seconds) {
  return static_cast<std::size_t>(std::llround(std::max(0.0, seconds) * kRate));
}

std::size_t frameCount(double seconds) { return static_cast<std::size_t>(seconds * kRate); }

// Equal-power pan: -1 left, +1 right.
void panned(double s, double pan, double& l, double& r) {
  double angle = (pan + 1.0) * kPi / 4.0;
  l = s * std::cos(angle) * 1.41421356;
  r = s * std::sin(angle) * 1.41421356;
}

}  // namespace

void Instruments::kick(double at, double level) {
  std::size_t first = frameAt(at);
  double phase = 0.0;
  for (std::size_t n = 0; n < frameCount(0.42); ++n) {
    double t = static_cast<double>(n) / kRate;
    double hz = 44.0 + 110.0 * std::exp(-t * 40.0);
    phase += 2.0 * kPi * hz / kRate;
    double env = std::min(1.0, t * 1500.0) * std::exp(-t * 5.5) * std::min(1.0, (0.42 - t) * 40.0);
    double click = t < 0.003 ? 0.25 * noise_.next() * (1.0 - t / 0.003) : 0.0;
    // A little drive squares the body off and makes it punch.
    double s = level * (std::tanh(3.5 * env * std::sin(phase)) / std::tanh(3.5) + click);
    out_.add(first + n, s, s);
  }
}

void Instruments::snare(double at, double level) {
  std::size_t first = frameAt(at);
  dsp::StateVariable filter;
  filter.set(3200.0, 0.8, kRate);
  double phase = 0.0;
  for (std::size_t n = 0; n < frameCount(0.25); ++n) {
    double t = static_cast<double>(n) / kRate;
    filter.run(noise_.next());
    phase += 2.0 * kPi * (175.0 + 60.0 * std::exp(-t * 40.0)) / kRate;
    double tone = 0.6 * std::sin(phase) * std::exp(-t * 28.0);
    double s = level * (filter.band() * 1.6 * std::exp(-t * 17.0) + tone);
    out_.add(first + n, s * 0.95, s);
  }
}

void Instruments::hat(double at, double level, bool open, double pan) {
  std::size_t first = frameAt(at);
  double decay = open ? 14.0 : 65.0;
  dsp::StateVariable filter;
  filter.set(6000.0, 1.2, kRate);
  for (std::size_t n = 0; n < frameCount(open ? 0.3 : 0.08); ++n) {
    double t = static_cast<double>(n) / kRate;
    filter.run(noise_.next());
    double l, r;
    panned(level * filter.high() * std::exp(-t * decay), pan, l, r);
    out_.add(first + n, l, r);
  }
}

void Instruments::bass(double at, double length, int note, double level, double brightness) {
  std::size_t first = frameAt(at);
  double hz = dsp::midiToHz(note);
  dsp::Saw a(0.0), b(0.37);
  dsp::StateVariable filter;
  for (std::size_t n = 0; n < frameCount(length); ++n) {
    double t = static_cast<double>(n) / kRate;
    filter.set(hz * (1.5 + 10.0 * brightness * std::exp(-t * 14.0)), 1.4, kRate);
    filter.run(0.5 * (a.next(hz, kRate) + b.next(hz * 1.004, kRate)));
    double env = std::min(1.0, t * 400.0) * std::min(1.0, (length - t) * 150.0);
    double s = level * env * filter.low();
    out_.add(first + n, s, s);
  }
}

void Instruments::subBass(double at, double length, int note, double level) {
  std::size_t first = frameAt(at);
  double hz = dsp::midiToHz(note);
  for (std::size_t n = 0; n < frameCount(length); ++n) {
    double t = static_cast<double>(n) / kRate;
    double env = std::sin(kPi * t / length);  // a slow swell, one per note
    double s = level * env * env * std::sin(2.0 * kPi * hz * t);
    out_.add(first + n, s, s);
  }
}

void Instruments::pad(double at, double length, const Chord& chord, double level, double cutoffHz) {
  std::size_t first = frameAt(at);
  dsp::Saw saws[6] = {dsp::Saw(0.0),  dsp::Saw(0.5), dsp::Saw(0.25),
                      dsp::Saw(0.75), dsp::Saw(0.1), dsp::Saw(0.6)};
  dsp::StateVariable left, right;
  left.set(cutoffHz, 0.9, kRate);
  right.set(cutoffHz, 0.9, kRate);
  double attack = std::min(0.4, length / 3.0);
  for (std::size_t n = 0; n < frameCount(length); ++n) {
    double t = static_cast<double>(n) / kRate;
    double l = 0.0, r = 0.0;
    for (int v = 0; v < 3; ++v) {
      double hz = dsp::midiToHz(chord[static_cast<std::size_t>(v)]);
      l += saws[2 * v].next(hz * 0.9965, kRate);
      r += saws[2 * v + 1].next(hz * 1.0035, kRate);
    }
    left.run(l / 3.0);
    right.run(r / 3.0);
    double env = std::min(1.0, t / attack) * std::min(1.0, (length - t) / attack);
    out_.add(first + n, level * env * left.low(), level * env * right.low());
  }
}

void Instruments::pluck(StereoBuffer& bus, double at, int note, double level, double pan,
                        double decay) {
  std::size_t first = frameAt(at);
  double hz = dsp::midiToHz(note);
  double length = std::min(1.5, 6.0 / decay);
  // Each harmonic a rotating phasor: cheaper than a sine per sample.
  constexpr int kHarmonics = 4;
  double re[kHarmonics], im[kHarmonics], stepRe[kHarmonics], stepIm[kHarmonics];
  for (int k = 0; k < kHarmonics; ++k) {
    re[k] = 1.0, im[k] = 0.0;
    double w = 2.0 * kPi * hz * (k + 1) / kRate;
    stepRe[k] = std::cos(w), stepIm[k] = std::sin(w);
  }
  for (std::size_t n = 0; n < frameCount(length); ++n) {
    double t = static_cast<double>(n) / kRate;
    double s = 0.0;
    for (int k = 0; k < kHarmonics; ++k) {
      s += im[k] * std::exp(-t * decay * (1.0 + 0.8 * k)) / (k + 1);
      double nr = re[k] * stepRe[k] - im[k] * stepIm[k];
      im[k] = re[k] * stepIm[k] + im[k] * stepRe[k];
      re[k] = nr;
    }
    double l, r;
    panned(level * s * std::min(1.0, t * 2000.0), pan, l, r);
    bus.add(first + n, l, r);
  }
}

void Instruments::riser(double at, double length, double level) {
  std::size_t first = frameAt(at);
  dsp::StateVariable filter;
  for (std::size_t n = 0; n < frameCount(length); ++n) {
    double x = static_cast<double>(n) / kRate / length;  // 0 to 1
    filter.set(300.0 * std::pow(20.0, x), 2.0, kRate);
    filter.run(noise_.next());
    double s = level * x * x * filter.band();
    out_.add(first + n, s * (1.0 - 0.3 * x), s * (0.7 + 0.3 * x));
  }
}

void addEcho(StereoBuffer& out, const StereoBuffer& bus, double delay, double feedback,
             double wet) {
  auto d = static_cast<std::size_t>(delay * kRate);
  std::vector<float> l(bus.frames(), 0.0f), r(bus.frames(), 0.0f);
  for (std::size_t i = 0; i < bus.frames(); ++i) {
    // Left repeats into right and back, each time a little quieter.
    float fromL = i >= d ? l[i - d] : 0.0f, fromR = i >= d ? r[i - d] : 0.0f;
    l[i] = 0.5f * (bus.left[i] + bus.right[i]) + static_cast<float>(feedback) * fromR;
    r[i] = static_cast<float>(feedback) * fromL;
    out.add(i, bus.left[i] + wet * fromR, bus.right[i] + wet * fromL);
  }
}
