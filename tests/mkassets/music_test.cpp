// The music as the show hears it: decoded from the MP3 with libmpg123, and
// its lowest FFT band measured the way the audio layer computes it, at the
// positions a 60 frames-a-second clock reads.
#include <gtest/gtest.h>
#include <kissfft/kiss_fftr.h>
#include <mpg123.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "png_read.h"
#include "song_plan.h"

namespace {

constexpr double kFrame = 1.0 / 60.0;

struct Decoded {
  long rate = 0;
  int channels = 0;
  float peak = 0.0f;
  std::vector<float> mono;  // mean of the channels
};

Decoded decode(const std::string& path) {
  Decoded d;
  mpg123_handle* mh = mpg123_new(nullptr, nullptr);
  if (mh == nullptr) return d;
  mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0.0);
  int encoding = 0;
  if (mpg123_open(mh, path.c_str()) != MPG123_OK ||
      mpg123_getformat(mh, &d.rate, &d.channels, &encoding) != MPG123_OK || d.channels != 2) {
    mpg123_delete(mh);
    return d;
  }
  std::vector<float> block(8192);
  size_t done = 0;
  int status;
  do {
    status = mpg123_read(mh, reinterpret_cast<unsigned char*>(block.data()),
                         block.size() * sizeof(float), &done);
    for (size_t i = 0; i + 1 < done / sizeof(float); i += 2) {
      d.mono.push_back(0.5f * (block[i] + block[i + 1]));
      d.peak = std::max({d.peak, std::fabs(block[i]), std::fabs(block[i + 1])});
    }
  } while (status == MPG123_OK);
  mpg123_close(mh);
  mpg123_delete(mh);
  return d;
}

class Music : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    music_ = new Decoded(decode(dataDir() + "/music/Molte_-_VorkastInvtro(1).mp3"));
    fft_ = kiss_fftr_alloc(512, 0, nullptr, nullptr);
  }
  static void TearDownTestSuite() {
    delete music_;
    kiss_fftr_free(fft_);
  }

  // Band 0 of the 512 samples ending at t, Hann-windowed, scaled so that a
  // full-scale sine at a bin's centre reads 1.
  static float band0(double t) {
    auto end = static_cast<std::size_t>(std::llround(t * song::kSampleRate));
    if (end < 512 || end > music_->mono.size()) return 0.0f;
    float in[512];
    kiss_fft_cpx out[257];
    float windowSum = 0.0f;
    for (int i = 0; i < 512; ++i) {
      float w = 0.5f - 0.5f * std::cos(2.0f * 3.14159265f * static_cast<float>(i) / 512.0f);
      windowSum += w;
      in[i] = music_->mono[end - 512 + static_cast<std::size_t>(i)] * w;
    }
    kiss_fftr(fft_, in, out);
    return 2.0f * std::hypot(out[0].r, out[0].i) / windowSum;
  }

  // The strongest band 0 over the frames from a to b.
  static float strongest(double a, double b) {
    float best = 0.0f;
    for (double k = std::ceil(a / kFrame); k * kFrame < b; k += 1.0) {
      best = std::max(best, band0(k * kFrame));
    }
    return best;
  }

  static Decoded* music_;
  static kiss_fftr_cfg fft_;
};
Decoded* Music::music_ = nullptr;
kiss_fftr_cfg Music::fft_ = nullptr;

TEST_F(Music, OutlastsTheShowWithoutClipping) {
  EXPECT_EQ(music_->rate, 44100);
  EXPECT_EQ(music_->channels, 2);
  double seconds = static_cast<double>(music_->mono.size()) / 44100.0;
  EXPECT_GE(seconds, 98.3) << "the show must end by itself";
  EXPECT_NEAR(seconds, song::kLength, 0.01) << "gapless: no encoder delay or padding";
  EXPECT_LT(music_->peak, 0.95f);
  EXPECT_GT(music_->peak, 0.5f);
}

TEST_F(Music, OpeningIsQuietInTheLowestBand) {
  float best = strongest(0.0, song::kPulseStart);
  EXPECT_LT(best, 0.8334f);
  EXPECT_LT(best, 0.4f) << "the opening's second layer only glimmers";
  EXPECT_GT(best, 0.05f) << "but it does show";
}

TEST_F(Music, PulseKicksPassBothOfThePulseScenesThresholds) {
  int bars = 0, accents = 0, beats = 0, strong = 0;
  for (int bar = song::kPulseFirstBar; bar < song::kTextFirstBar; ++bar) {
    ++bars;
    for (int beat = 0; beat < song::kBeatsPerBar; ++beat) {
      double at = song::barStart(bar) + beat * song::kBeat;
      float best = strongest(at, at + song::kBeat);
      if (beat == 0) {
        accents += best > 0.8334f;  // 0.3 x s0 > 0.25: the blur swings
      } else {
        ++beats;
        strong += best > 0.7334f;  // 0.3 x s0 > 0.22: the sum grows
      }
    }
  }
  EXPECT_EQ(accents, bars);
  EXPECT_EQ(strong, beats);
}

TEST_F(Music, TextSectionFlipsTheOverlayOnTheBeat) {
  int beats = 0, flipping = 0;
  for (double at = song::kTextStart; at + song::kBeat <= song::kBreakStart + 1e-6;
       at += song::kBeat) {
    ++beats;
    flipping += strongest(at, at + song::kBeat) > 0.4f;  // 0.3 x s0 > 0.12
  }
  EXPECT_EQ(beats, 100);
  EXPECT_GE(flipping * 2, beats);
}

}  // namespace
