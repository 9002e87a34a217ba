#include "music.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace {

constexpr double kPi = 3.14159265358979;
constexpr double kBeat = 60.0 / 125.0;  // 125 beats a minute

// Section boundaries, where the scenes change.
constexpr double kPulseStart = 12.9;
constexpr double kTextStart = 30.0;
constexpr double kClosingStart = 79.0;

double midiToHz(int note) { return 440.0 * std::pow(2.0, (note - 69) / 12.0); }

// A minor: Am, F, C, G, one bar each.
const int kChords[4][3] = {{57, 60, 64}, {53, 57, 60}, {48, 52, 55}, {55, 59, 62}};
const int kRoots[4] = {33, 29, 36, 31};

struct Noise {
  std::uint32_t state = 0x12345678u;
  double next() {
    state = state * 1664525u + 1013904223u;
    return static_cast<double>(state >> 8) / 8388608.0 - 1.0;
  }
};

void addKick(StereoBuffer& out, double start, double level) {
  auto first = static_cast<std::size_t>(start * kSampleRate);
  double phase = 0.0;
  for (std::size_t n = 0; n < static_cast<std::size_t>(0.45 * kSampleRate); ++n) {
    std::size_t i = first + n;
    if (i >= out.left.size()) break;
    double t = static_cast<double>(n) / kSampleRate;
    // A falling pitch, so most of the body sits below 60 Hz.
    double freq = 32.0 + 90.0 * std::exp(-t * 60.0);
    phase += 2 * kPi * freq / kSampleRate;
    double env = std::exp(-t * 4.0) * std::min(1.0, t * 800.0);
    // Soft clipping squares the body off, which is what the lowest band hears.
    double s = level * std::tanh(2.5 * env * std::sin(phase)) / std::tanh(2.5);
    out.left[i] += static_cast<float>(s);
    out.right[i] += static_cast<float>(s);
  }
}

void addNoiseHit(StereoBuffer& out, Noise& noise, double start, double level, double decay,
                 double pan, double tone) {
  auto first = static_cast<std::size_t>(start * kSampleRate);
  double previous = 0.0;
  for (std::size_t n = 0; n < static_cast<std::size_t>(0.25 * kSampleRate); ++n) {
    std::size_t i = first + n;
    if (i >= out.left.size()) break;
    double t = static_cast<double>(n) / kSampleRate;
    double white = noise.next();
    double high = white - previous;  // a first difference keeps it bright
    previous = white;
    double body = tone > 0 ? 0.5 * std::sin(2 * kPi * tone * t) : 0.0;
    double s = level * std::exp(-t * decay) * (high + body);
    out.left[i] += static_cast<float>(s * (1.0 - pan));
    out.right[i] += static_cast<float>(s * (1.0 + pan));
  }
}

// Detuned saws through a one-pole low-pass, slowly rising and falling.
void addPad(StereoBuffer& out, double start, double length, int chord, double level) {
  auto first = static_cast<std::size_t>(start * kSampleRate);
  auto count = static_cast<std::size_t>(length * kSampleRate);
  double lowL = 0, lowR = 0;
  double phases[6] = {0, 0.3, 0.6, 0.1, 0.4, 0.7};
  for (std::size_t n = 0; n < count; ++n) {
    std::size_t i = first + n;
    if (i >= out.left.size()) break;
    double t = static_cast<double>(n) / kSampleRate;
    double env = std::min(1.0, t / 0.3) * std::min(1.0, (length - t) / 0.3);
    double l = 0, r = 0;
    for (int v = 0; v < 3; ++v) {
      double f = midiToHz(kChords[chord][v]);
      for (int d = 0; d < 2; ++d) {
        double& p = phases[v * 2 + d];
        p += f * (d == 0 ? 0.997 : 1.003) / kSampleRate;
        p -= std::floor(p);
        double saw = 2.0 * p - 1.0;
        (d == 0 ? l : r) += saw;
      }
    }
    lowL += 0.04 * (l - lowL);
    lowR += 0.04 * (r - lowR);
    out.left[i] += static_cast<float>(level * env * lowL / 3.0);
    out.right[i] += static_cast<float>(level * env * lowR / 3.0);
  }
}

void addBassNote(StereoBuffer& out, double start, double length, int note, double level) {
  auto first = static_cast<std::size_t>(start * kSampleRate);
  double f = midiToHz(note);
  for (std::size_t n = 0; n < static_cast<std::size_t>(length * kSampleRate); ++n) {
    std::size_t i = first + n;
    if (i >= out.left.size()) break;
    double t = static_cast<double>(n) / kSampleRate;
    double env =
        std::min(1.0, t * 200.0) * std::exp(-t * 3.0) * std::min(1.0, (length - t) * 200.0);
    double s = level * env * (std::sin(2 * kPi * f * t) + 0.3 * std::sin(4 * kPi * f * t));
    out.left[i] += static_cast<float>(s);
    out.right[i] += static_cast<float>(s);
  }
}

}  // namespace

StereoBuffer synthesizeMusic() {
  StereoBuffer out;
  auto total = static_cast<std::size_t>(kMusicSeconds * kSampleRate);
  out.left.assign(total, 0.0f);
  out.right.assign(total, 0.0f);
  Noise noise;

  const double bar = 4 * kBeat;
  for (int b = 0; b * bar < kMusicSeconds - 2.0; ++b) {
    double start = b * bar;
    int chord = b % 4;
    bool opening = start < kPulseStart;
    bool closing = start >= kClosingStart;
    addPad(out, start, bar, chord, opening ? 0.10 : (closing ? 0.12 : 0.08));
  }

  for (int beat = 0; beat * kBeat < kMusicSeconds - 1.0; ++beat) {
    double t = beat * kBeat;
    int chord = (beat / 4) % 4;
    bool downbeat = beat % 4 == 0;
    if (t < kPulseStart) {
      // The opening breathes: a soft bass on the bar, hats creeping in.
      if (downbeat) addBassNote(out, t, bar * 0.9, kRoots[chord], 0.12);
      if (t > 6.0) addNoiseHit(out, noise, t + kBeat / 2, 0.02, 60, 0.3, 0);
    } else if (t < kTextStart) {
      // The pulse: a heavy kick on every beat, heaviest on the bar.
      addKick(out, t, downbeat ? 0.62 : 0.5);
      addBassNote(out, t + kBeat / 2, kBeat / 2, kRoots[chord] + 12, 0.06);
      addNoiseHit(out, noise, t + kBeat / 2, 0.05, 45, -0.3, 0);
      if (beat % 2 == 1) addNoiseHit(out, noise, t, 0.09, 18, 0.1, 190);
    } else if (t < kClosingStart) {
      addKick(out, t, downbeat ? 0.42 : 0.36);
      addBassNote(out, t + kBeat / 2, kBeat / 2, kRoots[chord] + 12, 0.07);
      addNoiseHit(out, noise, t + kBeat / 2, 0.04, 50, 0.3, 0);
      addNoiseHit(out, noise, t + kBeat / 4 * 3, 0.02, 70, -0.4, 0);
      if (beat % 2 == 1) addNoiseHit(out, noise, t, 0.08, 20, -0.1, 200);
    } else if (t < 92.0) {
      // The close: the beat thins out under the pads.
      if (beat % 2 == 0) addKick(out, t, 0.25);
      if (downbeat) addBassNote(out, t, bar * 0.9, kRoots[chord] + 12, 0.05);
    }
  }

  // Leave headroom: peak at about -1 dBFS.
  float peak = 0.0f;
  for (std::size_t i = 0; i < total; ++i) {
    peak = std::max(peak, std::max(std::fabs(out.left[i]), std::fabs(out.right[i])));
  }
  if (peak > 0.89f) {
    float gain = 0.89f / peak;
    for (std::size_t i = 0; i < total; ++i) {
      out.left[i] *= gain;
      out.right[i] *= gain;
    }
  }
  // Fade the last two seconds to silence.
  auto fade = static_cast<std::size_t>(2.0 * kSampleRate);
  for (std::size_t n = 0; n < fade; ++n) {
    float g = static_cast<float>(n) / static_cast<float>(fade);
    out.left[total - 1 - n] *= g;
    out.right[total - 1 - n] *= g;
  }
  return out;
}
