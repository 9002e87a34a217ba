// Ctrl-C, a hang-up or a termination while capturing: the show is stopped
// too, and the capture cleans up after it and says so, instead of dying with
// its work folder left behind. The encoder is left to see the end of its
// input and close the video it has so far properly.
#pragma once

namespace interrupts {

// Installs the handlers for SIGINT, SIGHUP and SIGTERM, but for those that
// were ignored when the capture started.
void catchThem();
// A started program to stop on an interrupt; forget it once it is reaped,
// before its number can be another program's (forgetting others is harmless).
void watch(int pid);
void forget(int pid);
// The signal caught, or 0.
int caught();

}  // namespace interrupts
