// The show's music: about 100 s of our own synthesis at 44.1 kHz stereo,
// in four sections that meet the scenes at 12.9 s, 30 s and 79 s.
#pragma once

#include <vector>

constexpr int kSampleRate = 44100;
constexpr double kMusicSeconds = 100.5;

struct StereoBuffer {
  std::vector<float> left;
  std::vector<float> right;
};

// Deterministic: the same samples every time.
StereoBuffer synthesizeMusic();
