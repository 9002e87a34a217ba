// The player's calls into the audio library, one operation at a time,
// against a library that only writes them down.
#include <gtest/gtest.h>
#include <win32_port.h>

#include "audio/music_player.h"
#include "fake_bass.h"
#include "platform/d3dwindow.h"

namespace {

using Calls = std::vector<std::string>;

class MusicPlayerCalls : public ::testing::Test {
 protected:
  void SetUp() override {
    win32port::resetForTests();
    win32port::setMessageBoxHandler([](const char*, const char*) { return IDOK; });
    g_hwnd = reinterpret_cast<HWND>(0x1234);
  }
  void TearDown() override { g_hwnd = nullptr; }
};

TEST_F(MusicPlayerCalls, ConstructionInitialisesAndOpensTheFile) {
  fakebass::reset();
  {
    MusicPlayer player("music.mp3");
    EXPECT_EQ(player.stream, 7u);
    EXPECT_TRUE(player.streamCreated);
    EXPECT_EQ(fakebass::calls(),
              (Calls{"BASS_Init(1, 44100, 0, 0x1234, (nil))",
                     "BASS_StreamCreateFile(0, music.mp3, 0, 0, 0)", "BASS_StreamGetLength(7)",
                     "BASS_ChannelBytes2Seconds(7, 17640000)"}));
    fakebass::reset();
  }
  EXPECT_EQ(fakebass::calls(), (Calls{"BASS_StreamFree(7)", "BASS_Free()"}));
  EXPECT_TRUE(win32port::messageBoxes().empty());
}

TEST_F(MusicPlayerCalls, EachOperationIsItsOwnCallSequence) {
  fakebass::reset();
  MusicPlayer player("music.mp3");
  fakebass::Script script;
  script.position = 88200;
  script.seconds = 0.5f;
  script.bytes = 123456;
  fakebass::reset(script);

  player.play();
  player.pause();
  player.resume();
  player.stop();
  EXPECT_EQ(player.position(), 0.5f);
  player.seek(2.25f);
  player.updateSpectrum();
  EXPECT_EQ(fakebass::calls(),
            (Calls{"BASS_StreamPlay(7, 0, 0)", "BASS_Pause()", "BASS_Start()", "BASS_Stop()",
                   "BASS_ChannelGetPosition(7)", "BASS_ChannelBytes2Seconds(7, 88200)",
                   "BASS_ChannelSeconds2Bytes(7, 2.25)", "BASS_ChannelSetPosition(7, 123456)",
                   "BASS_ChannelGetData(7, 0x80000000)"}));
  // The spectrum is what the library delivered, in place; nothing else
  // touches it.
  EXPECT_EQ(player.spectrum[0], 0.5f);
  EXPECT_EQ(player.spectrum[255], 255.5f);
  player.seek(1.0f);
  player.position();
  EXPECT_EQ(player.spectrum[1], 1.5f);
}

TEST_F(MusicPlayerCalls, WithoutAStreamBoxesAndNoStreamFree) {
  fakebass::Script script;
  script.initResult = FALSE;
  script.createResult = 0;
  fakebass::reset(script);
  {
    MusicPlayer player("missing.mp3");
    EXPECT_FALSE(player.streamCreated);
    EXPECT_EQ(player.stream, 0u);
    player.play();
    // Still asked with handle 0; the results are not examined.
    player.position();
    player.updateSpectrum();
    fakebass::reset(script);
  }
  EXPECT_EQ(fakebass::calls(), (Calls{"BASS_Free()"}));
  EXPECT_EQ(win32port::messageBoxes(), (Calls{"Error: No Init", "You Suck: Cant Play Funky Music",
                                              "Sucky Assembler: Must CreateStream First"}));
}

}  // namespace
