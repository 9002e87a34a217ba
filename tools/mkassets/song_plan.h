// The music's timetable. The scenes of the show change at 12.9 s, 30 s and
// 79 s whatever the music does; the music is written to change with them.
// The tests read these times to know where the beats are.
#pragma once

namespace song {

constexpr int kSampleRate = 44100;
constexpr double kLength = 100.5;  // the show ends itself at 98.27 s

constexpr double kBeat = 0.475;  // 126.3 beats a minute; 36 beats fill 12.9 s to 30 s
constexpr int kBeatsPerBar = 4;

constexpr double kPulseStart = 12.9;  // the drums come in
constexpr double kTextStart = 30.0;
constexpr double kBreakStart = 77.5;  // 100 beats after kTextStart: a held chord and a rise
constexpr double kClosingStart = 79.0;

// The main beat runs from six bars before the drums to the break; the
// closing section counts its own beats from kClosingStart.
constexpr double kGridStart = kPulseStart - 24 * kBeat;  // 1.5 s
constexpr int kPulseFirstBar = 6;
constexpr int kTextFirstBar = 15;
constexpr int kBreakBar = 40;  // the first bar that is not played
constexpr int kClosingBars = 11;

constexpr double barStart(int bar) { return kGridStart + bar * kBeatsPerBar * kBeat; }

}  // namespace song
