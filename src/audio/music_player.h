// The show's music: one track played through BASS, giving the main loop its
// clock (the position in seconds) and the spectrum that moves the pictures.
#pragma once

#include <bass.h>

class MusicPlayer {
 public:
  explicit MusicPlayer(const char* fileName);
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  void play();
  void stop();
  void pause();
  void resume();
  float position();
  void updateSpectrum();
  void seek(float seconds);

  HSTREAM stream = 0;
  bool streamCreated = false;
  float spectrum[256] = {};
};
