// The player on the real audio layer, on the frame clock: the boxes of its
// failures, the note for a short track, and the show's use of it.
#include "audio/music_player.h"

#include <bass_port.h>
#include <gtest/gtest.h>
#include <port_env.h>
#include <present_hook.h>
#include <win32_port.h>

#include <cmath>

#include "mp3_fixture.h"

namespace {

using Boxes = std::vector<std::string>;

class MusicPlayerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port::Environment env;
    env.videoSet = true;
    env.video = port::VideoMode::None;
    env.audioSet = true;
    env.audio = port::AudioMode::Frames;
    port::setEnvironment(env);
    bassport::setFaults({});
    win32port::resetForTests();
    win32port::setMessageBoxHandler([](const char*, const char*) { return IDOK; });
  }
  void TearDown() override { bassport::setFaults({}); }

  static void present(int frames) {
    for (int i = 0; i < frames; ++i) {
      port::notifyFramePresented(port::Frame{nullptr, 640, 480, 640});
    }
  }

  fixture::TempDir dir_;
};

TEST_F(MusicPlayerTest, AMissingFileGivesBothBoxesAndFreesTheLibrary) {
  {
    MusicPlayer player(dir_.path("missing.mp3").c_str());
    EXPECT_FALSE(player.streamCreated);
    EXPECT_EQ(player.stream, 0u);
    player.play();
    EXPECT_EQ(player.position(), -1.0f);  // the show sees no time from no stream
    player.updateSpectrum();
    for (float v : player.spectrum) ASSERT_EQ(v, 0.0f);
  }
  EXPECT_EQ(win32port::messageBoxes(),
            (Boxes{"You Suck: Cant Play Funky Music", "Sucky Assembler: Must CreateStream First"}));
  // The destructor freed the library: it can be set up again.
  EXPECT_EQ(bassport::activeClock(), bassport::Clock::None);
}

TEST_F(MusicPlayerTest, AFailedInitGivesNoInitAndThenTheStreamBox) {
  auto path = dir_.write("music.mp3", fixture::encodeMp3(fixture::sine(1.0, 440.0, 0.5f)));
  bassport::setFaults({.initFails = true});
  {
    MusicPlayer player(path.c_str());
    EXPECT_FALSE(player.streamCreated);
  }
  EXPECT_EQ(win32port::messageBoxes(),
            (Boxes{"Error: No Init", "You Suck: Cant Play Funky Music"}));
}

TEST_F(MusicPlayerTest, ThePlayerAsTheMainLoopDrivesIt) {
  auto path =
      dir_.write("music.mp3", fixture::encodeMp3(fixture::sine(3.0, 861.328125, 0.5f), 320));
  MusicPlayer player(path.c_str());
  ASSERT_TRUE(player.streamCreated);
  EXPECT_EQ(player.position(), 0.0f);
  present(30);
  EXPECT_EQ(player.position(), 0.0f);  // created, not playing
  player.play();
  present(30);
  EXPECT_EQ(player.position(), 0.5f);
  player.updateSpectrum();
  EXPECT_NEAR(player.spectrum[10], 0.5f, 0.02f);

  // E: pause holds the moment, and seeking while paused starts nothing.
  player.pause();
  present(30);
  EXPECT_EQ(player.position(), 0.5f);
  player.seek(1.25f);
  present(30);
  EXPECT_EQ(player.position(), 1.25f);
  // D: resume, then seek to the stored time.
  player.resume();
  player.seek(0.5f);
  present(60);
  EXPECT_EQ(player.position(), 1.5f);
  // A below zero is refused: the music stays where it is.
  player.seek(-0.01f);
  EXPECT_EQ(player.position(), 1.5f);
  player.stop();
  present(30);
  EXPECT_EQ(player.position(), 1.5f);
  EXPECT_TRUE(win32port::messageBoxes().empty());
}

TEST_F(MusicPlayerTest, AShortTrackIsNotedOnce) {
  auto path = dir_.write("short.mp3", fixture::encodeMp3(fixture::sine(2.0, 440.0, 0.5f)));
  testing::internal::CaptureStderr();
  { MusicPlayer player(path.c_str()); }
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("the music is 2.00 s long but the show runs to 98.27 s"), std::string::npos)
      << err;
  EXPECT_EQ(err.find("vorkast:"), err.rfind("vorkast:"));  // one note
  EXPECT_TRUE(win32port::messageBoxes().empty());
}

}  // namespace
