// What the frames of a stream say about it: how many bytes they cover and
// the longest run of frames that follow each other directly, which tells an
// MP3 from bytes that merely contain sync patterns. A stream decoded in two
// pieces tallies each and joins them to the tally of the whole.
#pragma once

#include <sys/types.h>

#include <cstddef>

namespace bassport {

class FrameTally {
 public:
  // One frame of `length` bytes (header included) starting at byte `position`.
  void add(off_t position, std::size_t length);
  // The frames of `later`, which came right after these.
  void append(const FrameTally& later);

  std::size_t bytes() const { return bytes_; }
  int longestRun() const { return longest_; }

 private:
  std::size_t bytes_ = 0;
  int frames_ = 0;
  int firstRun_ = 0;  // the run the tally began with
  int run_ = 0;       // the run it ends with
  int longest_ = 0;
  off_t first_ = -1;
  off_t expectedNext_ = -1;
};

}  // namespace bassport
