// VORKAST_FRAMES: every presented frame as frame_000001.png, ... (RGB).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace win32port {

class FrameWriter {
 public:
  explicit FrameWriter(std::string folder);
  // Writes the next frame; reports a failure once on standard error and then
  // stays quiet, so a full disk does not flood the console.
  void write(const std::uint32_t* pixels, int width, int height, int pitchPixels);
  // True once no more frames can be written.
  bool failed() const { return failed_; }

 private:
  std::string folder_;
  long count_ = 0;
  bool failed_ = false;
  std::vector<std::uint8_t> row_;
};

// Writes one X8R8G8B8 picture as an RGB PNG; false on failure.
bool writeRgbPng(const std::string& path, const std::uint32_t* pixels, int width, int height,
                 int pitchPixels);

}  // namespace win32port
