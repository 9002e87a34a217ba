// The music as the show hears it: decoded from the MP3 with libmpg123 for
// its length and level, and played through the audio layer on the frames
// clock for the lowest FFT band the scenes react to.
#include <bass.h>
#include <bass_port.h>
#include <gtest/gtest.h>
#include <mpg123.h>
#include <port_env.h>

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

// Band 0 as the show reads it: on the frames clock, 60 a second, the
// spectrum read once a frame before the frame is presented.
struct Heard {
  bool ok = false;
  std::vector<float> band0;  // one a frame from t = 0
};

Heard listen(const std::string& path) {
  Heard heard;
  port::Environment env = port::readEnvironment();
  env.audioSet = true;
  env.audio = port::AudioMode::Frames;
  env.fps = 60.0;
  env.startSeconds = 0.0;
  port::setEnvironment(env);
  if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) return heard;
  HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  if (stream != 0 && BASS_StreamPlay(stream, FALSE, 0)) {
    float spectrum[256];
    heard.ok = true;
    for (int frame = 0;; ++frame) {
      float t = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
      if (std::fabs(t - frame * kFrame) > 1e-3) {
        heard.ok = false;  // not the frames clock
        break;
      }
      BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512);
      heard.band0.push_back(spectrum[0]);
      if (t >= song::kClosingStart) break;
      bassport::advanceFrame();
    }
    BASS_StreamFree(stream);
  }
  BASS_Free();
  return heard;
}

// Decoded and heard once for all the cases; a case whose inputs failed fails
// itself rather than being skipped.
class Music : public ::testing::Test {
 protected:
  void SetUp() override {
    static const std::string path = dataDir() + "/music/Molte_-_VorkastInvtro(1).mp3";
    static const Decoded decoded = decode(path);
    static const Heard heard = listen(path);
    music_ = &decoded;
    heard_ = &heard;
    ASSERT_EQ(music_->channels, 2) << path;
    ASSERT_TRUE(heard_->ok) << "played through the audio layer on the frames clock";
  }

  // The strongest band 0 over the frames from a to b.
  float strongest(double a, double b) const {
    float best = 0.0f;
    for (auto k = static_cast<std::size_t>(std::ceil(a / kFrame));
         k < heard_->band0.size() && static_cast<double>(k) * kFrame < b; ++k) {
      best = std::max(best, heard_->band0[k]);
    }
    return best;
  }

  const Decoded* music_ = nullptr;
  const Heard* heard_ = nullptr;
};

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
