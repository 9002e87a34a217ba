// The script's state machine and its scene windows, as plain functions of
// t, s0 and the state record.
#include <gtest/gtest.h>

#include <cmath>

#include "core/demo_timeline.h"

namespace {

// Distinct fake handles: the state functions only store and compare them.
Texture* handle(int n) {
  return reinterpret_cast<Texture*>(static_cast<std::uintptr_t>(0x1000 * n));
}

ShowTextures fakeTextures() {
  ShowTextures t;
  t.texText01 = handle(1);
  t.texText02 = handle(2);
  t.texText03 = handle(3);
  t.texText04 = handle(4);
  t.texText05 = handle(5);
  t.texText06 = handle(6);
  t.texTextOverlay01 = handle(11);
  t.texTextOverlay02 = handle(12);
  return t;
}

TimelineState initialState(const ShowTextures& t) {
  TimelineState s;
  s.currentOverlay = t.texTextOverlay01;
  s.currentCaption = t.texText01;
  return s;
}

// The smallest float s0 with 0.3f x s0 strictly above the threshold.
float justAbove(float threshold) {
  float s = threshold / 0.3f;
  while (static_cast<double>(0.3f) * s <= static_cast<double>(threshold)) {
    s = std::nextafter(s, 10.0f);
  }
  return s;
}

TEST(SceneWindows, BoundsAreStrictAndInTheirPrecision) {
  EXPECT_TRUE(inOpeningScene(-1.0f));
  EXPECT_TRUE(inOpeningScene(std::nextafter(12.9f, 0.0f)));
  EXPECT_FALSE(inOpeningScene(12.9f));
  EXPECT_FALSE(inPulseScene(12.9f));
  EXPECT_TRUE(inPulseScene(std::nextafter(12.9f, 20.0f)));
  EXPECT_FALSE(inPulseScene(30.0f));
  EXPECT_FALSE(inTextScene(30.0f));
  EXPECT_TRUE(inTextScene(30.01f));
  EXPECT_FALSE(inTextScene(79.0f));
  EXPECT_FALSE(inClosingScene(79.0f));
  EXPECT_TRUE(inClosingScene(97.99f));
  EXPECT_FALSE(inClosingScene(98.0f));
  EXPECT_FALSE(inClosingScene(98.1f));
  EXPECT_FALSE(pastEndOfShow(98.1f));
  // The float nearest 98.27 lies just below the double 98.27: it still shows
  // a frame, and the next float up ends the show.
  EXPECT_FALSE(pastEndOfShow(98.27f));
  EXPECT_TRUE(pastEndOfShow(std::nextafter(98.27f, 99.0f)));
  EXPECT_TRUE(pastEndOfShow(98.3f));
  for (float t : {12.9f, 30.0f, 79.0f, 98.0f, 98.1f}) {
    int running = inOpeningScene(t) + inPulseScene(t) + inTextScene(t) + inClosingScene(t);
    EXPECT_EQ(running, 0) << "t = " << t << " shows a black frame";
  }
  for (float t : {0.0f, 13.0f, 31.0f, 80.0f, 97.99f}) {
    int running = inOpeningScene(t) + inPulseScene(t) + inTextScene(t) + inClosingScene(t);
    EXPECT_EQ(running, 1) << "t = " << t;
  }
}

TEST(PulseState, SilenceChangesNothing) {
  TimelineState s;
  accumulatePulse(s, 0.0f);
  EXPECT_EQ(s.bassSum, 0.0f);
  EXPECT_EQ(s.swing, 0.0f);
  EXPECT_FALSE(s.swingFlip);
}

TEST(PulseState, ThresholdsAreStrict) {
  TimelineState s;
  // 0.3f x s0 at the threshold itself does nothing; just above it counts.
  float atBass = 0.22f / 0.3f;
  while (static_cast<double>(0.3f) * atBass > static_cast<double>(0.22f)) {
    atBass = std::nextafter(atBass, 0.0f);
  }
  accumulatePulse(s, atBass);
  EXPECT_EQ(s.bassSum, 0.0f);

  float aboveBass = justAbove(0.22f);
  accumulatePulse(s, aboveBass);
  EXPECT_FLOAT_EQ(s.bassSum, 0.1f * aboveBass);
  EXPECT_FALSE(s.swingFlip) << "between 0.22 and 0.25 the swing stays";
  EXPECT_EQ(s.swing, 0.0f);
}

TEST(PulseState, FirstStrongPeakAddsTheSumIncludingItsOwnShare) {
  TimelineState s;
  s.bassSum = 1.0f;
  float peak = justAbove(0.25f);
  accumulatePulse(s, peak);
  EXPECT_TRUE(s.swingFlip);
  EXPECT_EQ(s.bassSum, 1.0f + 0.1f * peak);
  EXPECT_EQ(s.swing, s.bassSum);
  float before = s.bassSum;
  accumulatePulse(s, peak);
  EXPECT_FALSE(s.swingFlip);
  EXPECT_EQ(s.swing, (before) - (before + 0.1f * peak)) << "the second peak subtracts";
}

TEST(TextOverlay, FlipsOnEveryQualifyingFrameAndFeedsTheBassSum) {
  ShowTextures t = fakeTextures();
  TimelineState s = initialState(t);
  float exactly = 0.12f / 0.3f;
  while (static_cast<double>(0.3f) * exactly > static_cast<double>(0.12f)) {
    exactly = std::nextafter(exactly, 0.0f);
  }
  flipTextOverlay(s, exactly, t);
  EXPECT_EQ(s.currentOverlay, t.texTextOverlay01);
  EXPECT_EQ(s.bassSum, 0.0f);

  flipTextOverlay(s, 1.0f, t);
  EXPECT_EQ(s.currentOverlay, t.texTextOverlay02);
  EXPECT_EQ(s.bassSum, 1.0f) << "no factor here, unlike the pulse scene";
  flipTextOverlay(s, 1.0f, t);
  EXPECT_EQ(s.currentOverlay, t.texTextOverlay01);
  flipTextOverlay(s, 1.0f, t);
  EXPECT_EQ(s.currentOverlay, t.texTextOverlay02);
  EXPECT_EQ(s.overlayStep, 1);
}

TEST(CaptionSchedule, UninterruptedRunSwitchesEverySevenSeconds) {
  ShowTextures t = fakeTextures();
  TimelineState s = initialState(t);
  Texture* expected[] = {t.texText01, t.texText02, t.texText03,
                         t.texText04, t.texText05, t.texText06};
  for (float time = 30.05f; time < 79.0f; time += 1.0f / 60.0f) {
    advanceCaption(s, time, t);
    int index = time <= 47.0f   ? 0
                : time <= 54.0f ? 1
                : time <= 61.0f ? 2
                : time <= 68.0f ? 3
                : time <= 75.0f ? 4
                                : 5;
    // A frame exactly on a boundary may switch on the next one.
    if (std::fabs(std::fmod(time - 47.0f, 7.0f)) > 0.02f) {
      ASSERT_EQ(s.currentCaption, expected[index]) << "t = " << time;
    }
  }
  EXPECT_EQ(s.captionClock, 75.0f);
  EXPECT_EQ(s.captionStep, 5);
}

TEST(CaptionSchedule, JumpForwardCatchesUpOneCaptionPerFrame) {
  ShowTextures t = fakeTextures();
  TimelineState s = initialState(t);
  advanceCaption(s, 31.0f, t);
  EXPECT_EQ(s.currentCaption, t.texText01);
  Texture* expected[] = {t.texText02, t.texText03, t.texText04, t.texText05};
  float clocks[] = {47.0f, 54.0f, 61.0f, 68.0f};
  for (int frame = 0; frame < 4; ++frame) {
    advanceCaption(s, 70.0f, t);
    EXPECT_EQ(s.currentCaption, expected[frame]);
    EXPECT_EQ(s.captionClock, clocks[frame]);
  }
  advanceCaption(s, 70.0f, t);
  advanceCaption(s, 75.0f, t);
  EXPECT_EQ(s.currentCaption, t.texText05) << "stays while t is at most 75";
}

TEST(CaptionSchedule, SeekBackAfterACompleteRunKeepsTheLastCaption) {
  ShowTextures t = fakeTextures();
  TimelineState s = initialState(t);
  for (int frame = 0; frame < 10; ++frame) advanceCaption(s, 78.9f, t);
  EXPECT_EQ(s.currentCaption, t.texText06);
  EXPECT_EQ(s.captionStep, 5);
  for (float time = 31.0f; time < 79.0f; time += 0.5f) {
    advanceCaption(s, time, t);
    ASSERT_EQ(s.currentCaption, t.texText06);
  }
  EXPECT_EQ(s.captionStep, 5) << "never more than five switches";
}

}  // namespace
