// Frames of a deterministic run against reference pictures kept beside this
// test. The references are made again only on purpose, with
// tests/show/make_golden.sh, never by the test itself.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::string kBuild = VORKAST_BINARY_DIR;
const std::string kGolden = std::string(VORKAST_SOURCE_DIR) + "/tests/show/golden";

std::vector<unsigned char> readRgb(const std::string& path, unsigned* width, unsigned* height) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  std::vector<unsigned char> rgb;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return rgb;
  image.format = PNG_FORMAT_RGB;
  rgb.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return {};
  *width = image.width;
  *height = image.height;
  return rgb;
}

class Golden : public ::testing::TestWithParam<const char*> {};

TEST_P(Golden, FrameMatchesItsReference) {
  std::string time = GetParam();
  std::string out = ::testing::TempDir() + "/golden_" + time + ".png";
  std::string command = "cd '" + kBuild + "' && ./vorkast05-capture --at " + time + " --png '" +
                        out + "' > /dev/null 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  unsigned w = 0, h = 0, rw = 0, rh = 0;
  std::vector<unsigned char> frame = readRgb(out, &w, &h);
  std::vector<unsigned char> reference = readRgb(kGolden + "/t" + time + ".png", &rw, &rh);
  ASSERT_FALSE(reference.empty()) << "missing reference; see tests/show/make_golden.sh";
  ASSERT_EQ(w, rw);
  ASSERT_EQ(h, rh);
  // Small differences are allowed so that a change of the pictures' tiny
  // rounding does not fail the test; a moved or missing layer does.
  long total = 0;
  int worst = 0;
  for (std::size_t i = 0; i < frame.size(); ++i) {
    int d = std::abs(static_cast<int>(frame[i]) - static_cast<int>(reference[i]));
    total += d;
    worst = std::max(worst, d);
  }
  double mean = static_cast<double>(total) / static_cast<double>(frame.size());
  EXPECT_LT(mean, 0.5) << "t = " << time << ", worst channel difference " << worst;
}

std::string nameOf(const ::testing::TestParamInfo<const char*>& time) {
  return std::string("t") + time.param;
}

INSTANTIATE_TEST_SUITE_P(Scenes, Golden, ::testing::Values("6", "20", "45", "88"), nameOf);

}  // namespace
