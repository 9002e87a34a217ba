// Two channels of samples at song::kSampleRate, mixed into by the voices.
#pragma once

#include <cstddef>
#include <vector>

struct StereoBuffer {
  std::vector<float> left;
  std::vector<float> right;

  explicit StereoBuffer(std::size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
  std::size_t frames() const { return left.size(); }
  // Adds a sample pair at frame i; frames past the end are dropped.
  void add(std::size_t i, double l, double r) {
    if (i >= left.size()) return;
    left[i] += static_cast<float>(l);
    right[i] += static_cast<float>(r);
  }
};
