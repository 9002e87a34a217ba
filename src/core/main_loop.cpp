#include "main_loop.h"

#include <windows.h>

#include <cstdio>

#include "audio/music_player.h"
#include "core/demo_timeline.h"
#include "core/globals.h"
#include "platform/d3dwindow.h"
#include "resources/render_to_texture.h"

namespace {

// The seek, pause and resume keys, in their order; each key that counts
// makes its own call and starts from the t left by the keys before it.
float applyKeys(float t, MusicPlayer& music) {
  if (GetAsyncKeyState(0x51) != 0) {  // Q
    t = t + 0.01f;
    music.seek(t);
  }
  if (GetAsyncKeyState(0x41) != 0) {  // A
    t = t - 0.01f;
    music.seek(t);
  }
  if (GetAsyncKeyState(0x57) != 0) {  // W
    t = t + 0.1f;
    music.seek(t);
  }
  if (GetAsyncKeyState(0x52) != 0) {  // R
    t = t + 0.9f;
    music.seek(t);
  }
  if (GetAsyncKeyState(0x53) != 0) {  // S
    t = t - 0.1f;
    music.seek(t);
  }
  if (GetAsyncKeyState(0x45) != 0) {  // E
    g_pausedPosition = t;
    music.pause();
  }
  if (GetAsyncKeyState(0x44) != 0) {  // D
    music.resume();
    music.seek(g_pausedPosition);
  }
  return t;
}

}  // namespace

int runMainLoop(D3DWindow& window, MusicPlayer& music, render_to_texture& frame,
                DemoTimeline& timeline) {
  int frameCount = 0;
  if (window.pumpMessages()) return frameCount;
  for (;;) {
    music.updateSpectrum();
    float t = music.position();
    frame.beginFrame();
    SetCursor(nullptr);
    t = applyKeys(t, music);

    timeline.openingScene(t, music.spectrum);
    timeline.pulseScene(t, music.spectrum);
    timeline.textScene(t, music.spectrum);
    timeline.closingScene(t, music.spectrum);

    if (pastEndOfShow(t)) break;

    frame.endFrame();
    frameCount = frameCount + 1;
    // An average over music time, not a measured rate: inf at t = 0.
    std::printf("fps = %f\ttime = %f\n", static_cast<double>(frameCount) / static_cast<double>(t),
                static_cast<double>(t));
    if (window.pumpMessages()) break;
  }
  return frameCount;
}
