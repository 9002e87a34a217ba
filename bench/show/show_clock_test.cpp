#include "show_clock.h"

#include <gtest/gtest.h>

TEST(ShowClock, ReadsTheTimeOfFrameLinesOnly) {
  double t = -1;
  EXPECT_TRUE(frameTime("fps = 59.5\ttime = 30.016666", t));
  EXPECT_NEAR(t, 30.016666, 1e-9);
  EXPECT_TRUE(frameTime("fps = inf\ttime = 0.000000", t));
  EXPECT_EQ(t, 0.0);
  EXPECT_FALSE(frameTime("happy device", t));
  EXPECT_FALSE(frameTime("fps = 3", t));
  EXPECT_FALSE(frameTime("  fps = 1\ttime = 2", t));
}

TEST(ShowClock, ScenesFollowTheTimelineWindowsWithBoundariesInNone) {
  EXPECT_EQ(sceneAt(0.0), 0);
  EXPECT_EQ(sceneAt(12.89), 0);
  EXPECT_EQ(sceneAt(12.9), 4);  // the float 12.9f itself is in no window
  EXPECT_EQ(sceneAt(13.0), 1);
  EXPECT_EQ(sceneAt(30.0), 4);
  EXPECT_EQ(sceneAt(30.02), 2);
  EXPECT_EQ(sceneAt(79.0), 4);
  EXPECT_EQ(sceneAt(97.99), 3);
  EXPECT_EQ(sceneAt(98.1), 4);
  // Each scene's sampling start lies inside its own window.
  const auto scenes = emptyScenes();
  ASSERT_EQ(scenes.size(), 5u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(sceneAt(scenes[static_cast<size_t>(i)].start), i);
  EXPECT_LT(scenes[4].start, 0.0);  // nothing to start a run at
}

TEST(ShowClock, FrameTimesAreGapsBetweenFrameLinesWithoutTheFirst) {
  const std::vector<StampedLine> lines = {
      {0.10, "happy device"},
      {0.20, "render_to_texture is up and running free"},
      {1.50, "fps = inf\ttime = 12.883333"},
      {1.60, "fps = 1\ttime = 12.900000"},
      {1.75, "some other line"},
      {1.90, "fps = 1\ttime = 12.916667"},
      {2.00, "fps = 1\ttime = 30.016666"},
  };
  auto scenes = emptyScenes();
  addFrames(lines, scenes);
  EXPECT_TRUE(scenes[0].frameSeconds.empty());  // the first frame carries start-up
  ASSERT_EQ(scenes[4].frameSeconds.size(), 1u);
  EXPECT_NEAR(scenes[4].frameSeconds[0], 0.10, 1e-12);
  ASSERT_EQ(scenes[1].frameSeconds.size(), 1u);
  EXPECT_NEAR(scenes[1].frameSeconds[0], 0.30, 1e-12);
  ASSERT_EQ(scenes[2].frameSeconds.size(), 1u);
  EXPECT_NEAR(scenes[2].frameSeconds[0], 0.10, 1e-12);

  const Startup s = startupOf(lines);
  EXPECT_EQ(s.device, 0.10);
  EXPECT_EQ(s.globals, 0.20);
  EXPECT_EQ(s.firstFrame, 1.50);
}

TEST(ShowClock, StartupOfARunWithoutFramesIsZero) {
  const Startup s = startupOf({{0.1, "happy device"}});
  EXPECT_EQ(s.device, 0.1);
  EXPECT_EQ(s.firstFrame, 0.0);
}

TEST(ShowClock, MusicStartIsTheFirstFrameLineLessTheSecondFramesTime) {
  EXPECT_DOUBLE_EQ(musicStartOf({{0.01, "happy device"},
                                 {0.20, "fps = inf\ttime = 0.000000"},
                                 {0.25, "fps = 40.0\ttime = 0.050000"},
                                 {0.31, "fps = 35.0\ttime = 0.110000"}}),
                   0.15);
  EXPECT_EQ(musicStartOf({{0.20, "fps = inf\ttime = 0.000000"}}), 0.0) << "one frame";
  EXPECT_EQ(musicStartOf({}), 0.0);
}

TEST(ShowClock, SummaryHasMedianWorstAndMean) {
  const Summary odd = summarize({3.0, 1.0, 2.0});
  EXPECT_EQ(odd.median, 2.0);
  EXPECT_EQ(odd.worst, 3.0);
  EXPECT_EQ(odd.mean, 2.0);
  const Summary even = summarize({4.0, 1.0, 2.0, 3.0});
  EXPECT_EQ(even.median, 2.5);
  EXPECT_EQ(even.worst, 4.0);
  const Summary none = summarize({});
  EXPECT_EQ(none.worst, 0.0);
}
