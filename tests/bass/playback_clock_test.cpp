// The three clocks, driven with explicit times.
#include "playback_clock.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using bassport::DeviceClock;
using bassport::FrameClock;
using bassport::RealTimeClock;
using bassport::Time;

const Time t0 = Time{} + 1000s;

TEST(RealTimeClock, CountsOnlyWhileRunning) {
  RealTimeClock clock;
  clock.reset(t0);
  EXPECT_EQ(clock.elapsed(t0 + 1s), 0);
  clock.setRunning(true, t0 + 1s);
  EXPECT_EQ(clock.elapsed(t0 + 1500ms), 22050);
  clock.setRunning(false, t0 + 2s);
  EXPECT_EQ(clock.elapsed(t0 + 10s), 44100);
  clock.setRunning(true, t0 + 10s);
  EXPECT_EQ(clock.elapsed(t0 + 11s), 88200);
  clock.reset(t0 + 11s);
  EXPECT_EQ(clock.elapsed(t0 + 12s), 44100);
}

TEST(FrameClock, EachFrameIsExactlyOneFrameTime) {
  FrameClock clock(60.0);
  clock.reset(t0);
  clock.advance();  // not running: no time passes
  EXPECT_EQ(clock.elapsed(t0), 0);
  clock.setRunning(true, t0);
  for (int i = 0; i < 90; ++i) clock.advance();
  EXPECT_EQ(clock.elapsed(t0 + 1h), 66150);  // 1.5 s, whatever the wall clock says
  clock.setRunning(false, t0);
  clock.advance();
  EXPECT_EQ(clock.elapsed(t0), 66150);

  // A rate that does not divide 44100: no drift over many frames.
  FrameClock odd(7.0);
  odd.reset(t0);
  odd.setRunning(true, t0);
  for (int i = 0; i < 7000; ++i) odd.advance();
  EXPECT_EQ(odd.elapsed(t0), 44100 * 1000);
}

TEST(DeviceClock, InterpolatesBetweenCallbacksBehindTheBuffer) {
  DeviceClock clock(1024);
  clock.reset(t0);
  clock.setRunning(true, t0);
  EXPECT_EQ(clock.elapsed(t0 + 1s), 0);  // nothing handed over yet
  clock.rendered(1024, t0);
  EXPECT_EQ(clock.elapsed(t0 + 1s), 0);  // the first buffer is still to be heard
  clock.rendered(1024, t0 + 23ms);
  EXPECT_EQ(clock.elapsed(t0 + 23ms), 0);
  EXPECT_EQ(clock.elapsed(t0 + 33ms), 441);
  // Never beyond what has been handed over, however late the next callback.
  EXPECT_EQ(clock.elapsed(t0 + 5s), 1024);
  clock.rendered(1024, t0 + 46ms);
  EXPECT_EQ(clock.elapsed(t0 + 56ms), 1024 + 441);
}

TEST(DeviceClock, NeverRunsBackwardsAndFreezesWhenStopped) {
  DeviceClock clock(1024);
  clock.reset(t0);
  clock.setRunning(true, t0);
  clock.rendered(1024, t0);
  clock.rendered(1024, t0 + 10ms);
  std::int64_t ahead = clock.elapsed(t0 + 50ms);  // a callback came late
  EXPECT_EQ(ahead, 1024);
  clock.rendered(1024, t0 + 60ms);  // its anchor is behind what was reported
  EXPECT_GE(clock.elapsed(t0 + 60ms), ahead);
  std::int64_t previous = 0;
  for (int ms = 60; ms < 200; ms += 3) {
    if (ms % 23 == 0) clock.rendered(1024, t0 + std::chrono::milliseconds(ms));
    std::int64_t now = clock.elapsed(t0 + std::chrono::milliseconds(ms));
    EXPECT_GE(now, previous) << ms;
    previous = now;
  }
  clock.setRunning(false, t0 + 200ms);
  std::int64_t frozen = clock.elapsed(t0 + 200ms);
  EXPECT_EQ(clock.elapsed(t0 + 10s), frozen);
  clock.reset(t0 + 10s);
  EXPECT_EQ(clock.elapsed(t0 + 10s), 0);
  EXPECT_EQ(clock.written(), 0);
}

}  // namespace
