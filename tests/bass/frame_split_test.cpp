// A track decoded in two halves at once must come out as one decoder would
// have decoded it from the start: the same samples, and the same tally of
// frames that decides whether the bytes are an MP3 at all.
#include <bass.h>
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decoded_track.h"
#include "frame_decoder.h"
#include "frame_tally.h"
#include "layer_limits.h"
#include "mp3_fixture.h"

namespace {

using bassport::DecodedTrack;
using bassport::FrameDecoder;
using bassport::FrameTally;

constexpr std::size_t kNoLimit = std::size_t{1} << 30;

TEST(FrameTally, JoinedPiecesTallyAsTheWhole) {
  // Frames back to back, with gaps between runs, a run broken right at the
  // join and runs that cross it; every place a stream can be cut.
  std::mt19937 random(3);
  for (int trial = 0; trial < 40; ++trial) {
    struct Frame {
      off_t position;
      std::size_t length;
    };
    std::vector<Frame> frames;
    off_t at = static_cast<off_t>(random() % 50);
    const int count = 1 + static_cast<int>(random() % 30);
    for (int i = 0; i < count; ++i) {
      std::size_t length = 100 + random() % 900;
      frames.push_back({at, length});
      at += static_cast<off_t>(length) + (random() % 4 == 0 ? 1 + random() % 20 : 0);
    }
    FrameTally whole;
    for (const Frame& f : frames) whole.add(f.position, f.length);
    for (std::size_t cut = 0; cut <= frames.size(); ++cut) {
      for (std::size_t second = cut; second <= frames.size(); ++second) {
        FrameTally pieces[3];
        for (std::size_t i = 0; i < frames.size(); ++i) {
          pieces[i < cut ? 0 : i < second ? 1 : 2].add(frames[i].position, frames[i].length);
        }
        pieces[0].append(pieces[1]);
        pieces[0].append(pieces[2]);
        ASSERT_EQ(pieces[0].bytes(), whole.bytes()) << trial << " " << cut << " " << second;
        ASSERT_EQ(pieces[0].longestRun(), whole.longestRun())
            << trial << " " << cut << " " << second;
      }
    }
  }
}

// Music-like enough that the encoder leans on its bit reservoir: noise with
// loud and quiet stretches, so a frame's data often starts frames earlier.
fixture::Signal busySignal(double seconds, int rate, int channels) {
  std::mt19937 random(11);
  std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
  return fixture::makeSignal(seconds, rate, channels, [&](std::int64_t f, int) {
    const bool loud = (f / (rate / 4)) % 3 == 0;
    return noise(random) * (loud ? 0.7f : 0.05f);
  });
}

std::vector<std::int16_t> decodedByOne(const std::vector<std::uint8_t>& mp3) {
  FrameDecoder one;
  EXPECT_TRUE(one.open(mp3.data(), mp3.size(), false));
  EXPECT_EQ(one.decode(-1, kNoLimit, nullptr), FrameDecoder::Outcome::Ended);
  return one.samples();
}

bool sameSamples(const DecodedTrack& track, const std::vector<std::int16_t>& samples) {
  return samples.size() == static_cast<std::size_t>(track.frames()) * 2 &&
         std::memcmp(samples.data(), track.samples(), samples.size() * 2) == 0;
}

TEST(FrameSplit, TwoDecodersMeetingAtAMeetingFrameGiveTheSamplesOfOne) {
  struct Case {
    const char* what;
    fixture::Signal signal;
    int kbps;
  };
  const Case cases[] = {
      {"stereo at 192 kbit/s", busySignal(6.0, 44100, 2), 192},
      {"stereo at 32 kbit/s", busySignal(6.0, 44100, 2), 32},
      {"mono", busySignal(6.0, 44100, 1), 64},
  };
  for (const Case& c : cases) {
    auto mp3 = fixture::encodeMp3(c.signal, c.kbps);
    ASSERT_FALSE(mp3.empty()) << c.what;
    const std::vector<std::int16_t> whole = decodedByOne(mp3);
    FrameDecoder probe;
    ASSERT_TRUE(probe.open(mp3.data(), mp3.size(), false));
    const off_t frames = probe.expectedFrames();
    ASSERT_GT(frames, 200) << c.what;
    // The first frames carry the encoder's delay; the last its padding.
    for (off_t near : {off_t{0}, off_t{40}, frames / 3, frames / 2, frames - 20}) {
      const off_t middle = FrameDecoder::meetingFrameNear(near);
      FrameDecoder earlier;
      FrameDecoder later;
      ASSERT_TRUE(earlier.open(mp3.data(), mp3.size(), false));
      ASSERT_TRUE(later.open(mp3.data(), mp3.size(), false));
      ASSERT_EQ(earlier.decode(middle, kNoLimit, nullptr), FrameDecoder::Outcome::ReachedStop)
          << c.what << " at " << middle;
      ASSERT_TRUE(later.startAt(middle));
      ASSERT_EQ(later.decode(-1, kNoLimit, nullptr), FrameDecoder::Outcome::Ended);
      EXPECT_TRUE(earlier.mark().clean && later.clean()) << c.what << " at " << middle;
      EXPECT_EQ(later.firstFrame(), middle) << c.what;
      EXPECT_EQ(later.firstPosition(), earlier.mark().position) << c.what << " at " << middle;
      earlier.joinAtMark(later);
      EXPECT_EQ(earlier.samples(), whole) << c.what << " met at frame " << middle;
    }
    DecodedTrack track;
    ASSERT_EQ(track.decode(mp3.data(), mp3.size()), BASS_OK) << c.what;
    EXPECT_TRUE(sameSamples(track, whole)) << c.what;
  }
}

TEST(FrameSplit, WhereTheHalvesCannotMeetExactlyOneDecoderGoesOn) {
  // Resampled: mpg123 keeps resampling state from frame to frame, so a
  // decoder started in the middle would not match.
  auto resampled = fixture::encodeMp3(busySignal(6.0, 48000, 2), 128);
  // Damaged just past the middle: the later half's decoder would resync on
  // its own terms.
  auto damaged = fixture::encodeMp3(busySignal(6.0, 44100, 2), 128);
  ASSERT_FALSE(resampled.empty());
  ASSERT_FALSE(damaged.empty());
  std::mt19937 random(17);
  for (std::size_t i = damaged.size() / 2 + 500; i < damaged.size() / 2 + 2500; ++i) {
    damaged[i] = static_cast<std::uint8_t>(random());
  }
  for (const auto* mp3 : {&resampled, &damaged}) {
    FrameDecoder earlier;
    ASSERT_TRUE(earlier.open(mp3->data(), mp3->size(), false));
    const off_t middle = earlier.expectedFrames() / 2;
    FrameDecoder later;
    ASSERT_TRUE(later.open(mp3->data(), mp3->size(), false));
    ASSERT_TRUE(later.startAt(middle));
    later.decode(-1, kNoLimit, nullptr);
    EXPECT_FALSE(later.clean()) << "the halves would be joined";
    // Told to, a decoder stops at the first frame that rules the join out,
    // short of the end of the track.
    FrameDecoder stopping;
    ASSERT_TRUE(stopping.open(mp3->data(), mp3->size(), false));
    ASSERT_TRUE(stopping.startAt(middle));
    stopping.stopWhenUnclean();
    EXPECT_EQ(stopping.decode(-1, kNoLimit, nullptr), FrameDecoder::Outcome::Unclean);
    EXPECT_LT(stopping.samples().size(), later.samples().size());
    DecodedTrack track;
    ASSERT_EQ(track.decode(mp3->data(), mp3->size()), BASS_OK);
    EXPECT_TRUE(sameSamples(track, decodedByOne(*mp3)));
  }
}

}  // namespace
