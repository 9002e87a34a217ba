// The sound-card path on SDL's dummy audio driver: a real callback thread
// that consumes samples in real time, without a sound card.
#include <bass.h>
#include <bass_port.h>
#include <gtest/gtest.h>
#include <port_env.h>

#include <cstdlib>
#include <thread>

#include "mp3_fixture.h"

namespace {

using namespace std::chrono_literals;

float seconds(HSTREAM stream) {
  return BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
}

TEST(BassDevice, PositionFollowsTheOutputAndPauseHoldsIt) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  port::Environment env;
  env.audioSet = true;
  env.audio = port::AudioMode::Device;
  port::setEnvironment(env);
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  ASSERT_EQ(bassport::activeClock(), bassport::Clock::Device);
  auto mp3 = fixture::encodeMp3(fixture::sine(5.0, 440.0, 0.5f));
  HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, static_cast<DWORD>(mp3.size()), 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));

  auto start = std::chrono::steady_clock::now();
  float previous = 0.0f;
  for (int i = 0; i < 40; ++i) {
    std::this_thread::sleep_for(5ms);
    float now = seconds(stream);
    EXPECT_GE(now, previous) << i;
    previous = now;
  }
  double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  // Behind the wall clock by the output's buffering, never ahead of it.
  EXPECT_GT(previous, 0.0f);
  EXPECT_LE(previous, wall + 0.001);

  ASSERT_TRUE(BASS_Pause());
  float paused = seconds(stream);
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(seconds(stream), paused);
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 3.0f)));
  EXPECT_EQ(seconds(stream), 3.0f);
  ASSERT_TRUE(BASS_Start());
  std::this_thread::sleep_for(100ms);
  EXPECT_GT(seconds(stream), 3.0f);
  EXPECT_TRUE(BASS_Free());
}

}  // namespace
