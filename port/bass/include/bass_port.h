// What the audio layer offers beyond BASS: faults for tests of the callers'
// failure paths, and the clock in use. Nothing in the show uses it.
#pragma once

#include <bass.h>

namespace bassport {

enum class Clock { None, Device, RealTime, Frames };

// The clock that BASS_Init chose (None before BASS_Init and after BASS_Free).
Clock activeClock();

struct Faults {
  bool initFails = false;  // BASS_Init returns FALSE with BASS_ERROR_DEVICE
};
void setFaults(const Faults& faults);

// Advances the Frames clock by one frame, as a presented frame does.
void advanceFrame();

}  // namespace bassport
