// Bad files in data/, one kind at a time: every run still ends with status 0,
// within its memory and time bounds, and says exactly what it could not use.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "data_folder.h"
#include "show_process.h"

namespace hardening {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::vector<std::string> kStartUp = {"happy device", "bitching the bitch-init",
                                           "render_to_texture is up and running free"};
const std::string kNoStream = "You Suck: Cant Play Funky Music";
const std::string kNoPlay = "Sucky Assembler: Must CreateStream First";

std::string escapeAfter(int frames) { return std::to_string(frames) + " ESCAPE down\n"; }

// What every run must show, whatever was broken: a clean exit, the start-up
// lines first, the image failures (in registration order) before the first
// frame, and the exit listing last.
void expectOrderlyRun(const ShowResult& run, const std::vector<std::string>& failedImages) {
  EXPECT_FALSE(run.timedOut) << "still running after its time bound";
  EXPECT_EQ(run.signal, 0) << "killed by a signal";
  EXPECT_EQ(run.status, 0);
  ASSERT_GE(run.out.size(), kStartUp.size() + failedImages.size() + exitLines().size());
  EXPECT_EQ(std::vector<std::string>(run.out.begin(), run.out.begin() + 3), kStartUp);
  std::vector<std::string> expected;
  for (const std::string& name : failedImages)
    expected.push_back("Loading Texture, data/textures/" + name);
  EXPECT_EQ(std::vector<std::string>(run.out.begin() + 3, run.out.begin() + 3 + expected.size()),
            expected);
  EXPECT_EQ(linesStartingWith(run.out, "Loading ").size(), expected.size()) << "no other failures";
  std::vector<std::string> tail(run.out.end() - static_cast<std::ptrdiff_t>(exitLines().size()),
                                run.out.end());
  EXPECT_EQ(tail, exitLines());
  EXPECT_EQ(run.out.size(), 3 + expected.size() + run.times.size() + exitLines().size())
      << "nothing printed besides start-up, failures, frames and the listing";
}

struct ImageCase {
  const char* label;
  const char* image;                                 // below data/textures/
  double start;                                      // a time at which a scene draws that image
  std::function<Bytes(const Bytes& original)> make;  // empty: the file is removed
  bool loads;  // an unusual but valid file loads without a line
};

const ImageCase kImageCases[] = {
    {"missing", "vorkast/gulfisk.png", 14.0, nullptr, false},
    {"empty", "vorkast/text/text01.png", 31.0, [](const Bytes&) { return Bytes{}; }, false},
    {"truncated", "vorkast/text/cred.png", 80.0,
     [](const Bytes& png) { return broken::truncated(png, png.size() / 2); }, false},
    {"jpeg_named_png", "vorkast/d.png", 5.0, [](const Bytes&) { return broken::jpegLike(); },
     false},
    {"header_claims_100000_square", "yellow_frame2.png", 50.0,
     [](const Bytes&) { return broken::pngClaiming(100000, 100000); }, false},
    {"png_16_bit", "vorkast/lort.png", 31.0,
     [](const Bytes&) { return broken::png16Bit(320, 240); }, true},
    {"png_palette", "vorkast/overup.png", 14.0,
     [](const Bytes&) { return broken::pngPalette(640, 480); }, true},
};

void PrintTo(const ImageCase& c, std::ostream* os) { *os << c.label << " " << c.image; }

class BrokenImage : public ::testing::TestWithParam<ImageCase> {};

TEST_P(BrokenImage, ShowRunsItsSceneAndReportsTheFile) {
  const ImageCase& c = GetParam();
  DataFolder data(c.label, builtData());
  std::string file = std::string("textures/") + c.image;
  if (c.make) {
    data.replace(file, c.make(data.original(file)));
  } else {
    data.remove(file);
  }
  constexpr int kFrames = 8;
  ShowResult run = runShow(showRun(c.label, data.path(), escapeAfter(kFrames), c.start));
  std::vector<std::string> failed;
  if (!c.loads) failed.push_back(c.image);
  expectOrderlyRun(run, failed);
  EXPECT_EQ(run.times.size(), static_cast<std::size_t>(kFrames));
  EXPECT_TRUE(run.err.empty()) << run.err.front();
}

INSTANTIATE_TEST_SUITE_P(Matrix, BrokenImage, ::testing::ValuesIn(kImageCases),
                         [](const auto& p) { return std::string(p.param.label); });

// Every image broken at once, each in one of the ways above, while R is held
// down: the music runs through all four scenes at 0.9 s a frame and the show
// ends by itself.
TEST(BrokenImages, AllAtOnceThroughEveryScene) {
  DataFolder data("all_images", builtData());
  const std::function<Bytes(const Bytes&)> kinds[] = {
      [](const Bytes&) { return Bytes{}; },
      [](const Bytes& png) { return broken::truncated(png, png.size() / 3); },
      [](const Bytes&) { return broken::jpegLike(); },
      [](const Bytes&) { return broken::pngClaiming(100000, 100000); },
      [](const Bytes&) { return broken::noise(3000, 11); },
      nullptr,
  };
  std::size_t i = 0;
  for (const std::string& name : imageNames()) {
    const auto& kind = kinds[i++ % std::size(kinds)];
    if (kind) {
      data.replace("textures/" + name, kind(data.original("textures/" + name)));
    } else {
      data.remove("textures/" + name);
    }
  }
  ShowResult run =
      runShow(showRun("all_images", data.path(), "1 R down\n" + escapeAfter(400), 10.0));
  expectOrderlyRun(run, imageNames());
  ASSERT_FALSE(run.times.empty());
  EXPECT_GT(run.times.back(), 97.0) << "ended by itself at the end of the show";
  EXPECT_LT(run.times.size(), 400u);
}

struct MusicCase {
  const char* label;
  std::function<Bytes(const Bytes& original)> make;  // empty: the file is removed
  bool plays;
  double start;
  int frames;  // Escape after this many
};

// The fixed Molte track is 2.4 MB for about 100 s; a tenth of a second of it
// is about 2.4 KB.
const MusicCase kMusicCases[] = {
    {"missing", nullptr, false, 0.0, 200},
    {"empty", [](const Bytes&) { return Bytes{}; }, false, 0.0, 200},
    {"not_audio", [](const Bytes&) { return broken::noise(200000, 3); }, false, 0.0, 200},
    {"wav_named_mp3", [](const Bytes&) { return broken::wav(3.0); }, false, 0.0, 200},
    // Cut in the middle of a frame about 4 s in: it plays up to the cut.
    {"truncated", [](const Bytes& mp3) { return broken::truncated(mp3, 100001); }, true, 2.5, 150},
    {"mp3_of_5_seconds", [](const Bytes&) { return broken::mp3(5.0); }, true, 4.0, 120},
};

void PrintTo(const MusicCase& c, std::ostream* os) { *os << c.label; }

class BrokenMusic : public ::testing::TestWithParam<MusicCase> {};

TEST_P(BrokenMusic, ShowRunsUntilEscape) {
  const MusicCase& c = GetParam();
  DataFolder data(std::string("music_") + c.label, builtData());
  if (c.make) {
    data.replace(kMusicFile, c.make(data.original(kMusicFile)));
  } else {
    data.remove(kMusicFile);
  }
  ShowResult run = runShow(
      showRun(std::string("music_") + c.label, data.path(), escapeAfter(c.frames), c.start));
  expectOrderlyRun(run, {});
  ASSERT_EQ(run.times.size(), static_cast<std::size_t>(c.frames)) << "only Escape ended it";
  if (!c.plays) {
    EXPECT_EQ(run.err, (std::vector<std::string>{kNoStream, kNoPlay}));
    EXPECT_EQ(run.times.front(), run.times.back()) << "without a stream the clock stands still";
    return;
  }
  // The one note is the layer's: the track is shorter than the show.
  ASSERT_EQ(run.err.size(), 1u);
  EXPECT_EQ(run.err[0].rfind("vorkast: the music is ", 0), 0u) << run.err[0];
  EXPECT_NEAR(run.times.front(), c.start, 1e-3);
  for (std::size_t i = 1; i < run.times.size(); ++i) {
    ASSERT_GE(run.times[i], run.times[i - 1]) << "frame " << i;
  }
  // The track ran out before Escape: the position holds at its end.
  double end = run.times.back();
  EXPECT_EQ(run.times[run.times.size() - 10], end);
  EXPECT_GT(end, c.start + 0.5);
  EXPECT_LT(end, c.start + c.frames / 60.0);
}

INSTANTIATE_TEST_SUITE_P(Matrix, BrokenMusic, ::testing::ValuesIn(kMusicCases),
                         [](const auto& p) { return std::string(p.param.label); });

}  // namespace
}  // namespace hardening
