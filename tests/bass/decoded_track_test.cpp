// Decoding: gapless lengths, resampling, channel layout, and refusing what
// is not an MP3 however it is named.
#include "decoded_track.h"

#include <bass.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>

#include "mp3_fixture.h"

namespace {

using bassport::DecodedTrack;

// A silent signal with one short positive pulse centred on `frame`.
fixture::Signal pulseAt(double seconds, int rate, int channels, std::int64_t frame) {
  return fixture::makeSignal(seconds, rate, channels, [=](std::int64_t f, int) {
    return std::llabs(f - frame) <= 2 ? 0.8f : 0.0f;
  });
}

std::int64_t loudestFrame(const DecodedTrack& track) {
  std::int64_t best = 0;
  int peak = -1;
  for (std::int64_t f = 0; f < track.frames(); ++f) {
    int v = std::abs(static_cast<int>(track.samples()[2 * f]));
    if (v > peak) {
      peak = v;
      best = f;
    }
  }
  return best;
}

int decode(const std::vector<std::uint8_t>& bytes, DecodedTrack* track) {
  return track->decode(bytes.data(), bytes.size());
}

TEST(DecodedTrack, GaplessLengthAndTimingAreSampleExact) {
  auto mp3 = fixture::encodeMp3(pulseAt(2.0, 44100, 2, 22050));
  ASSERT_FALSE(mp3.empty());
  DecodedTrack track;
  ASSERT_EQ(decode(mp3, &track), BASS_OK);
  // Encoder delay and padding are gone: as many frames as went in, and the
  // pulse where it was put.
  EXPECT_EQ(track.frames(), 88200);
  EXPECT_NEAR(static_cast<double>(loudestFrame(track)), 22050.0, 2.0);
}

TEST(DecodedTrack, OtherRatesAreResampledTo44100) {
  auto mp3 = fixture::encodeMp3(pulseAt(2.0, 48000, 2, 24000));
  ASSERT_FALSE(mp3.empty());
  DecodedTrack track;
  ASSERT_EQ(decode(mp3, &track), BASS_OK);
  EXPECT_NEAR(track.frames() / 44100.0, 2.0, 0.002);
  EXPECT_NEAR(loudestFrame(track) / 44100.0, 0.5, 0.0005);
}

TEST(DecodedTrack, MonoPlaysOnBothChannels) {
  auto mp3 = fixture::encodeMp3(fixture::sine(1.0, 440.0, 0.5f, 44100, 1), 96);
  ASSERT_FALSE(mp3.empty());
  DecodedTrack track;
  ASSERT_EQ(decode(mp3, &track), BASS_OK);
  EXPECT_EQ(track.frames(), 44100);
  int loudest = 0;
  for (std::int64_t f = 0; f < track.frames(); ++f) {
    ASSERT_EQ(track.samples()[2 * f], track.samples()[2 * f + 1]) << "frame " << f;
    loudest = std::max(loudest, std::abs(static_cast<int>(track.samples()[2 * f])));
  }
  EXPECT_GT(loudest, 14000);  // the sine is there, not silence
}

TEST(DecodedTrack, ALeadingId3TagIsNotCountedAgainstTheFile) {
  auto mp3 = fixture::encodeMp3(fixture::sine(1.0, 440.0, 0.5f));
  // A 200 kB tag (cover art, say) in front of 25 kB of audio.
  const std::size_t body = 200000;
  std::vector<std::uint8_t> tagged = {'I', 'D', '3', 3, 0, 0};
  for (int shift = 21; shift >= 0; shift -= 7) {
    tagged.push_back(static_cast<std::uint8_t>((body >> shift) & 0x7f));
  }
  tagged.resize(tagged.size() + body, 0);
  tagged.insert(tagged.end(), mp3.begin(), mp3.end());
  DecodedTrack track;
  ASSERT_EQ(decode(tagged, &track), BASS_OK);
  EXPECT_EQ(track.frames(), 44100);
}

TEST(DecodedTrack, WhatIsNotAnMp3IsRefused) {
  std::mt19937 random(5);
  auto noise = [&](std::size_t n, std::vector<std::uint8_t> head) {
    while (head.size() < n) head.push_back(static_cast<std::uint8_t>(random()));
    return head;
  };
  struct Case {
    const char* what;
    std::vector<std::uint8_t> bytes;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"one byte", {0xff}},
      {"a WAV", fixture::wavFile(fixture::sine(1.0, 440.0, 0.9f))},
      {"a JPEG", noise(50000, {0xff, 0xd8, 0xff, 0xe0, 0, 16, 'J', 'F', 'I', 'F', 0})},
      {"a PNG", noise(50000, {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a})},
      {"frame sync bytes", std::vector<std::uint8_t>(100000, 0xff)},
      {"an ID3 tag and nothing else",
       {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (std::size_t size : {100u, 4096u, 100000u, 1000000u}) {
    cases.push_back({"random bytes", noise(size, {})});
  }
  for (const Case& c : cases) {
    DecodedTrack track;
    EXPECT_EQ(decode(c.bytes, &track), BASS_ERROR_FILEFORM) << c.what << ", " << c.bytes.size();
    EXPECT_EQ(track.frames(), 0) << c.what;
  }
}

TEST(DecodedTrack, TruncatedFilesGiveWhatIsThereOrNothing) {
  auto mp3 = fixture::encodeMp3(fixture::sine(2.0, 440.0, 0.5f));
  ASSERT_GT(mp3.size(), 20000u);
  // Too little to be sure it is an MP3 at all.
  std::vector<std::uint8_t> stub(mp3.begin(), mp3.begin() + 1500);
  DecodedTrack track;
  EXPECT_EQ(decode(stub, &track), BASS_ERROR_FILEFORM);
  // Half a file plays its first half, cut anywhere inside a frame.
  for (std::size_t cut : {mp3.size() / 2, mp3.size() / 2 + 313}) {
    std::vector<std::uint8_t> half(mp3.begin(), mp3.begin() + static_cast<long>(cut));
    ASSERT_EQ(decode(half, &track), BASS_OK) << cut;
    EXPECT_NEAR(track.frames() / 44100.0, 1.0, 0.1) << cut;
  }
  // Junk over the middle is skipped: the rest still plays.
  std::vector<std::uint8_t> damaged = mp3;
  std::mt19937 random(9);
  for (std::size_t i = damaged.size() / 3; i < damaged.size() / 3 + 3000; ++i) {
    damaged[i] = static_cast<std::uint8_t>(random());
  }
  ASSERT_EQ(decode(damaged, &track), BASS_OK);
  EXPECT_GT(track.frames() / 44100.0, 1.5);
  EXPECT_LE(track.frames(), 88200);
}

TEST(DecodedTrack, AnInfoTagClaimingBillionsOfFramesIsIgnoredWhereverTheFirstFrameIs) {
  // At 48 kHz mpg123 resamples, and its gapless bookkeeping then walks every
  // frame the tag claims: about a minute for this claim if it were believed.
  auto mp3 = fixture::encodeMp3(fixture::sine(1.0, 440.0, 0.5f, 48000));
  ASSERT_FALSE(mp3.empty());
  ASSERT_GE(mp3.size(), 48u);
  const auto tag =
      std::search(mp3.begin(), mp3.begin() + 48, std::begin("Info"), std::end("Info") - 1);
  ASSERT_NE(tag, mp3.begin() + 48) << "no Info tag in the first frame";
  ASSERT_NE(tag[7] & 1, 0) << "the tag carries no frame count";
  const std::uint8_t claim[] = {0xff, 0xff, 0xff, 0x00};
  std::copy(std::begin(claim), std::end(claim), tag + 8);
  // Junk in front moves the first frame past any fixed window.
  for (std::size_t junk : {0u, 6000u}) {
    std::vector<std::uint8_t> bytes(junk, 0);
    bytes.insert(bytes.end(), mp3.begin(), mp3.end());
    DecodedTrack track;
    auto began = std::chrono::steady_clock::now();
    ASSERT_EQ(decode(bytes, &track), BASS_OK) << junk;
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    // A stall guard, not a speed figure.
    EXPECT_LT(seconds, 5.0) << junk;
    // The tag is skipped whole, so the encoder's delay and padding stay in.
    EXPECT_NEAR(track.frames() / 44100.0, 1.0, 0.1) << junk;
    EXPECT_GE(track.frames(), 44100) << junk;
  }
}

}  // namespace
