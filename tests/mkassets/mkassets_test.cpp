// The generated pictures and music: every file is there, of the kind meant,
// the same every time, and the music drives the scenes' thresholds.
#include <gtest/gtest.h>
#include <kissfft/kiss_fftr.h>
#include <mpg123.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kData = std::string(VORKAST_BINARY_DIR) + "/data";

std::vector<char> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct PngInfo {
  bool ok = false;
  int width = 0, height = 0, colorType = -1, bitDepth = 0;
  bool trns = false;
  std::vector<std::uint8_t> rgb;  // after expansion to 8-bit RGB
};

PngInfo readPng(const std::string& path) {
  PngInfo info;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return info;
  image.format = PNG_FORMAT_RGB;
  info.rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, info.rgb.data(), 0, nullptr)) return info;
  FILE* f = std::fopen(path.c_str(), "rb");
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop pi = png_create_info_struct(png);
  png_init_io(png, f);
  png_read_info(png, pi);
  info.width = static_cast<int>(png_get_image_width(png, pi));
  info.height = static_cast<int>(png_get_image_height(png, pi));
  info.colorType = png_get_color_type(png, pi);
  info.bitDepth = png_get_bit_depth(png, pi);
  info.trns = png_get_valid(png, pi, PNG_INFO_tRNS) != 0;
  png_destroy_read_struct(&png, &pi, nullptr);
  std::fclose(f);
  info.ok = true;
  return info;
}

const char* kNames[] = {
    "yellow_frame2.png",
    "vorkast/d.png",
    "vorkast/white.png",
    "vorkast/gulfisk.png",
    "vorkast/ribbon.png",
    "vorkast/overup.png",
    "vorkast/lort.png",
    "vorkast/text/cuffercup.png",
    "vorkast/text/text01.png",
    "vorkast/text/text02.png",
    "vorkast/text/text03.png",
    "vorkast/text/text04.png",
    "vorkast/text/text05.png",
    "vorkast/text/text06.png",
    "vorkast/text/text07.png",
    "vorkast/text/text_overlay01.png",
    "vorkast/text/text_overlay02.png",
    "vorkast/text/text_overlay03.png",
    "vorkast/text/cred.png",
    "vorkast/text/hore.png",
};

TEST(Pictures, EveryNameIsThereAndDecodes) {
  for (const char* name : kNames) {
    PngInfo info = readPng(kData + "/textures/" + name);
    EXPECT_TRUE(info.ok) << name;
    EXPECT_GT(info.width, 0) << name;
  }
}

TEST(Pictures, CoverEveryKindTheLoaderReads) {
  auto kind = [](const char* name) { return readPng(kData + "/textures/" + name); };
  EXPECT_EQ(kind("vorkast/d.png").colorType, PNG_COLOR_TYPE_RGB);
  EXPECT_EQ(kind("vorkast/ribbon.png").colorType, PNG_COLOR_TYPE_RGB_ALPHA);
  EXPECT_EQ(kind("vorkast/white.png").colorType, PNG_COLOR_TYPE_GRAY);
  EXPECT_EQ(kind("vorkast/text/text01.png").colorType, PNG_COLOR_TYPE_GRAY_ALPHA);
  PngInfo palette = kind("vorkast/gulfisk.png");
  EXPECT_EQ(palette.colorType, PNG_COLOR_TYPE_PALETTE);
  EXPECT_FALSE(palette.trns);
  PngInfo keyedPalette = kind("vorkast/text/cuffercup.png");
  EXPECT_EQ(keyedPalette.colorType, PNG_COLOR_TYPE_PALETTE);
  EXPECT_TRUE(keyedPalette.trns);
  EXPECT_EQ(keyedPalette.width, 640);
  EXPECT_EQ(keyedPalette.height, 480);
  PngInfo keyedRgb = kind("vorkast/text/hore.png");
  EXPECT_EQ(keyedRgb.colorType, PNG_COLOR_TYPE_RGB);
  EXPECT_TRUE(keyedRgb.trns);
  EXPECT_EQ(kind("vorkast/text/text07.png").bitDepth, 4);
  EXPECT_EQ(kind("vorkast/text/text_overlay03.png").bitDepth, 16);
  EXPECT_EQ(kind("vorkast/lort.png").width, 200) << "not a power of two";
}

TEST(Pictures, FrameOverlayIsMidGreyInside) {
  PngInfo frame = readPng(kData + "/textures/yellow_frame2.png");
  ASSERT_TRUE(frame.ok);
  for (int y = 40; y < frame.height - 40; y += 17) {
    for (int x = 40; x < frame.width - 40; x += 13) {
      const std::uint8_t* p = &frame.rgb[(static_cast<std::size_t>(y) * frame.width + x) * 3];
      ASSERT_EQ(p[0], 128);
      ASSERT_EQ(p[1], 128);
      ASSERT_EQ(p[2], 128);
    }
  }
  const std::uint8_t* corner = &frame.rgb[(10 * static_cast<std::size_t>(frame.width) + 10) * 3];
  EXPECT_GT(corner[0], corner[2]) << "a warm border";
}

TEST(Assets, TwoRunsGiveTheSameBytes) {
  std::string again = ::testing::TempDir() + "/mkassets_again";
  std::string command =
      std::string(VORKAST_BINARY_DIR) + "/tools/mkassets/vorkast05-mkassets " + again;
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(readAll(again + "/music/Molte_-_VorkastInvtro(1).mp3"),
            readAll(kData + "/music/Molte_-_VorkastInvtro(1).mp3"));
  for (const char* name : kNames) {
    EXPECT_EQ(readAll(again + "/textures/" + name), readAll(kData + "/textures/" + name)) << name;
  }
}

class Music : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mpg123_handle* mh = mpg123_new(nullptr, nullptr);
    mpg123_param(mh, MPG123_FLAGS, MPG123_GAPLESS | MPG123_FORCE_FLOAT, 0.0);
    std::string path = kData + "/music/Molte_-_VorkastInvtro(1).mp3";
    ASSERT_EQ(mpg123_open(mh, path.c_str()), MPG123_OK);
    long rate = 0;
    int channels = 0, encoding = 0;
    mpg123_getformat(mh, &rate, &channels, &encoding);
    rate_ = rate;
    channels_ = channels;
    std::vector<float> block(8192);
    size_t done = 0;
    int status;
    do {
      status = mpg123_read(mh, reinterpret_cast<unsigned char*>(block.data()),
                           block.size() * sizeof(float), &done);
      for (size_t i = 0; i + 1 < done / sizeof(float); i += 2) {
        mono_.push_back(0.5f * (block[i] + block[i + 1]));
        peak_ = std::max({peak_, std::fabs(block[i]), std::fabs(block[i + 1])});
      }
    } while (status == MPG123_OK);
    mpg123_close(mh);
    mpg123_delete(mh);
  }

  // Band 0 of a Hann-windowed 512-point FFT ending at time t, scaled so that
  // a full-scale sine at a bin's centre reads 1.
  static float band0(double t) {
    long end = static_cast<long>(t * 44100.0);
    if (end < 512 || end > static_cast<long>(mono_.size())) return 0.0f;
    static kiss_fftr_cfg cfg = kiss_fftr_alloc(512, 0, nullptr, nullptr);
    float in[512];
    kiss_fft_cpx out[257];
    float windowSum = 0;
    for (int i = 0; i < 512; ++i) {
      float w = 0.5f - 0.5f * std::cos(2.0f * 3.14159265f * i / 511.0f);
      windowSum += w;
      in[i] = mono_[static_cast<std::size_t>(end - 512 + i)] * w;
    }
    kiss_fftr(cfg, in, out);
    return 2.0f * std::hypot(out[0].r, out[0].i) / windowSum;
  }

  static long rate_;
  static int channels_;
  static float peak_;
  static std::vector<float> mono_;
};
long Music::rate_ = 0;
int Music::channels_ = 0;
float Music::peak_ = 0;
std::vector<float> Music::mono_;

TEST_F(Music, IsLongerThanTheShowAndDoesNotClip) {
  EXPECT_EQ(rate_, 44100);
  EXPECT_EQ(channels_, 2);
  EXPECT_GE(static_cast<double>(mono_.size()) / 44100.0, 98.3);
  EXPECT_LT(peak_, 1.0f);
  EXPECT_GT(peak_, 0.5f);
}

TEST_F(Music, BassDrivesTheScenesThresholds) {
  float openingMax = 0;
  int pulseAboveSwing = 0, pulseAboveBass = 0;
  for (double t = 0.1; t < 12.8; t += 1.0 / 60.0) openingMax = std::max(openingMax, band0(t));
  for (double t = 13.0; t < 29.9; t += 1.0 / 60.0) {
    float s0 = band0(t);
    pulseAboveSwing += 0.3 * s0 > 0.25;
    pulseAboveBass += 0.3 * s0 > 0.22;
  }
  EXPECT_LT(openingMax, 0.8334f);
  EXPECT_GT(pulseAboveSwing, 10) << "the strongest hits swing the blur";
  EXPECT_GT(pulseAboveBass, pulseAboveSwing) << "and more frames pass the lower threshold";

  // In the text section, count beats whose frames pass 0.4 at least once.
  const double beat = 60.0 / 125.0;
  int beats = 0, flipping = 0;
  for (double start = std::ceil(30.0 / beat) * beat; start + beat < 79.0; start += beat) {
    ++beats;
    float best = 0;
    for (double t = start; t < start + beat; t += 1.0 / 60.0) best = std::max(best, band0(t));
    flipping += best > 0.4f;
  }
  EXPECT_GE(flipping * 2, beats);
}

}  // namespace
