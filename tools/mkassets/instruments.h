// The instruments of the show's music. Each call adds one note or hit into
// the buffer at a time in seconds.
#pragma once

#include <array>

#include "dsp.h"
#include "stereo_buffer.h"

using Chord = std::array<int, 3>;  // MIDI notes

class Instruments {
 public:
  explicit Instruments(StereoBuffer& out) : out_(out) {}

  // A falling sine whose body sits near 50 Hz: the lowest FFT band follows it.
  void kick(double at, double level);
  void snare(double at, double level);
  void hat(double at, double level, bool open, double pan);
  // A filtered saw; the filter opens with `brightness` (0 to 1).
  void bass(double at, double length, int note, double level, double brightness);
  // A plain sine an octave under the bass line, for the quiet opening.
  void subBass(double at, double length, int note, double level);
  // Detuned saws through a low-pass at cutoffHz, swelling in and out.
  void pad(double at, double length, const Chord& chord, double level, double cutoffHz);
  // A short bell-like note of a few decaying harmonics.
  void pluck(StereoBuffer& bus, double at, int note, double level, double pan, double decay);
  // Band-passed noise sweeping upwards into a section change.
  void riser(double at, double length, double level);

 private:
  StereoBuffer& out_;
  dsp::Noise noise_{0x2545F491u};
};

// Ping-pong echo of `bus` added into `out`.
void addEcho(StereoBuffer& out, const StereoBuffer& bus, double delay, double feedback, double wet);
