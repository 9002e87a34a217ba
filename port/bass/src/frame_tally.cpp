#include "frame_tally.h"

#include <algorithm>

namespace bassport {

void FrameTally::add(off_t position, std::size_t length) {
  bytes_ += length;
  run_ = (position == expectedNext_) ? run_ + 1 : 1;
  if (frames_ == 0) first_ = position;
  if (run_ == frames_ + 1) firstRun_ = run_;
  ++frames_;
  longest_ = std::max(longest_, run_);
  expectedNext_ = position + static_cast<off_t>(length);
}

void FrameTally::append(const FrameTally& later) {
  if (later.frames_ == 0) return;
  if (frames_ == 0) {
    *this = later;
    return;
  }
  const int joined = later.first_ == expectedNext_ ? run_ + later.firstRun_ : later.firstRun_;
  const bool laterIsOneRun = later.firstRun_ == later.frames_;
  if (firstRun_ == frames_ && later.first_ == expectedNext_) firstRun_ = joined;
  bytes_ += later.bytes_;
  longest_ = std::max({longest_, later.longest_, joined});
  run_ = laterIsOneRun ? joined : later.run_;
  frames_ += later.frames_;
  expectedNext_ = later.expectedNext_;
}

}  // namespace bassport
