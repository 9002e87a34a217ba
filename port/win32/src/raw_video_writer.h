// VORKAST_RAWVIDEO: every frame's rows as raw BGRA bytes, one after another,
// to a file or a pipe (the capture tool's encoder). Frames are written on a
// thread of the writer's own, so that the show draws the next frames while
// the encoder takes its time reading; a few frames wait at most, then the
// show waits for the encoder.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace win32port {

class RawVideoWriter {
 public:
  explicit RawVideoWriter(const std::string& path);
  // Writes out every frame handed over, then closes the output.
  ~RawVideoWriter();
  RawVideoWriter(const RawVideoWriter&) = delete;
  RawVideoWriter& operator=(const RawVideoWriter&) = delete;

  // Hands the frame over, waiting while the frames not yet written fill the
  // queue. After a failed write (reported once) frames are dropped. Called
  // from one thread only (the one that presents).
  void write(const std::uint32_t* pixels, int width, int height, int pitchPixels);
  // True once no more frames can go out: the output could not be opened, or
  // a write failed (its reader gone, the disk full).
  bool failed();

 private:
  void drain();
  bool writeOut(const std::vector<std::uint8_t>& frame);

  std::string path_;
  std::FILE* file_ = nullptr;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::vector<std::uint8_t>> queued_;  // oldest first
  std::vector<std::vector<std::uint8_t>> spare_;  // written, for reuse
  bool closing_ = false;
  bool failed_ = false;
  std::thread writer_;
};

}  // namespace win32port
