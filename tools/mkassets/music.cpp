#include "music.h"

#include <algorithm>
#include <cmath>

#include "instruments.h"
#include "song_plan.h"

namespace {

using namespace song;

// A minor, one chord a bar: Am, F, C, G.
const Chord kChords[4] = {{57, 60, 64}, {57, 60, 65}, {55, 60, 64}, {55, 59, 62}};
const int kRoots[4] = {33, 29, 36, 31};  // A1, F1, C2, G1
const Chord kBreakChord = {56, 59, 64};  // E major, leading home to A minor

// Kick levels, tuned against the FFT the show reads: the pulse scene swings
// on band 0 above 0.833 and the text scene flips its overlay above 0.4.
// Only the bar's first kick passes 0.833; the others pass 0.733. The snare on
// beats two and four adds a little to band 0, so those kicks are softer.
constexpr double kPulseKick[4] = {0.60, 0.46, 0.48, 0.46};
constexpr double kTextKick = 0.34;
constexpr double kClosingKick = 0.30;

void opening(Instruments& play, StereoBuffer& plucks) {
  play.pad(0.0, kGridStart + 0.2, kChords[0], 0.05, 400.0);
  for (int bar = 0; bar < kPulseFirstBar; ++bar) {
    double at = barStart(bar);
    int chord = bar % 4;
    double open = static_cast<double>(bar) / kPulseFirstBar;  // the pad brightens
    play.pad(at, 4 * kBeat + 0.1, kChords[chord], 0.06 + 0.05 * open, 400.0 + 1600.0 * open);
    play.subBass(at, 4 * kBeat, kRoots[chord], 0.2);
    if (bar >= 2) {
      for (int step = 0; step < 8; ++step) {  // eighths up the chord
        int note = kChords[chord][static_cast<std::size_t>(step % 3)] + 12 * (step / 3 % 2);
        play.pluck(plucks, at + step * kBeat / 2, note, 0.05 + 0.02 * open, step % 2 ? 0.4 : -0.4,
                   7.0);
      }
    }
    if (bar >= 4) {
      for (int beat = 0; beat < 4; ++beat) play.hat(at + (beat + 0.5) * kBeat, 0.05, false, 0.3);
    }
  }
  play.riser(kPulseStart - 2 * 4 * kBeat, 2 * 4 * kBeat, 0.12);
}

void mainGroove(Instruments& play, StereoBuffer& plucks, int bar) {
  double at = barStart(bar);
  int chord = bar % 4;
  bool pulse = bar < kTextFirstBar;
  play.pad(at, 4 * kBeat + 0.1, kChords[chord], pulse ? 0.07 : 0.08, pulse ? 1500.0 : 2400.0);
  for (int beat = 0; beat < 4; ++beat) {
    double t = at + beat * kBeat;
    play.kick(t, pulse ? kPulseKick[beat] : kTextKick);
    if (beat % 2 == 1) play.snare(t, pulse ? 0.16 : 0.2);
    play.hat(t + kBeat / 2, 0.09, !pulse && beat == 3, 0.25);
    if (!pulse) {
      play.hat(t + kBeat / 4, 0.04, false, -0.3);
      play.hat(t + 3 * kBeat / 4, 0.04, false, -0.3);
    }
    // The bass answers the kick on the off-beat, an octave jump in the text section.
    int note = kRoots[chord] + 12 + (!pulse && beat == 3 ? 12 : 0);
    play.bass(t + kBeat / 2, kBeat / 2 - 0.02, note, 0.16, pulse ? 0.5 : 0.8);
  }
  if (!pulse) {
    for (int step = 0; step < 16; ++step) {  // sixteenths: up, up, down
      static const int kShape[8] = {0, 1, 2, 3, 2, 1, 2, 0};
      int k = kShape[step % 8];
      int note =
          (k == 3 ? kChords[chord][0] + 12 : kChords[chord][static_cast<std::size_t>(k)]) + 12;
      play.pluck(plucks, at + step * kBeat / 4, note, step % 4 == 0 ? 0.09 : 0.06,
                 step % 2 ? 0.5 : -0.5, 9.0);
    }
  }
  if (bar == kBreakBar - 1) {  // a snare roll into the break
    for (int step = 8; step < 16; ++step) {
      play.snare(at + step * kBeat / 4, 0.06 + 0.02 * (step - 8));
    }
  }
}

void breakAndClosing(Instruments& play, StereoBuffer& plucks) {
  play.pad(kBreakStart, kClosingStart - kBreakStart + 0.3, kBreakChord, 0.12, 2000.0);
  play.riser(kBreakStart, kClosingStart - kBreakStart, 0.15);
  const int melody[kClosingBars * 2] = {76, 72, 77, 72, 76, 79, 74, 71, 76, 72, 77,
                                        81, 79, 76, 74, 71, 72, 69, 72, 76, 69, 69};
  for (int bar = 0; bar < kClosingBars; ++bar) {
    double at = kClosingStart + bar * 4 * kBeat;
    int chord = (bar / 2) % 4;  // the harmony slows to two bars a chord
    bool last = bar == kClosingBars - 1;
    play.pad(at, 4 * kBeat + (last ? kLength - at - 4 * kBeat : 0.1), kChords[chord], 0.1,
             1800.0 - 100.0 * bar);
    play.kick(at, kClosingKick);
    play.kick(at + 2.5 * kBeat, kClosingKick * 0.8);
    play.snare(at + 2 * kBeat, 0.1);
    play.bass(at, 2 * kBeat - 0.05, kRoots[chord] + 12, 0.14, 0.3);
    play.bass(at + 2 * kBeat, 2 * kBeat - 0.05, kRoots[chord] + 12, 0.12, 0.3);
    for (int beat = 0; beat < 4; ++beat) play.hat(at + (beat + 0.5) * kBeat, 0.05, false, 0.2);
    for (int half = 0; half < 2; ++half) {
      play.pluck(plucks, at + half * 2 * kBeat, melody[bar * 2 + half], 0.12, -0.2, 2.5);
      play.pluck(plucks, at + half * 2 * kBeat + 0.01, melody[bar * 2 + half] - 12, 0.06, 0.3, 3.0);
    }
  }
  double end = kClosingStart + kClosingBars * 4 * kBeat;  // the last chord rings out
  play.pad(end, kLength - end, kChords[0], 0.08, 1000.0);
  play.subBass(end - 0.3, kLength - end + 0.3, kRoots[0], 0.1);
}

}  // namespace

StereoBuffer synthesizeMusic() {
  auto frames = static_cast<std::size_t>(kLength * kSampleRate);
  StereoBuffer mix(frames);
  StereoBuffer plucks(frames);
  Instruments play(mix);

  opening(play, plucks);
  for (int bar = kPulseFirstBar; bar < kBreakBar; ++bar) mainGroove(play, plucks, bar);
  breakAndClosing(play, plucks);
  addEcho(mix, plucks, 3 * kBeat / 4, 0.45, 0.5);

  // Headroom: the loudest sample at -1.5 dBFS at most, so that the MP3's
  // own overshoot stays below full scale.
  float peak = 0.0f;
  for (std::size_t i = 0; i < frames; ++i) {
    peak = std::max({peak, std::fabs(mix.left[i]), std::fabs(mix.right[i])});
  }
  const float ceiling = 0.84f;
  float gain = peak > ceiling ? ceiling / peak : 1.0f;
  // The last three seconds fade out; the show has ended by then.
  auto fade = static_cast<std::size_t>(3.0 * kSampleRate);
  for (std::size_t i = 0; i < frames; ++i) {
    float g = gain;
    if (i + fade > frames) g *= static_cast<float>(frames - i) / static_cast<float>(fade);
    mix.left[i] *= g;
    mix.right[i] *= g;
  }
  return mix;
}
