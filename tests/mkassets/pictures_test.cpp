// The twenty pictures in the build's data folder: there, of the kind meant,
// and shaped for how the show draws them.
#include "pictures.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "png_read.h"

namespace {

struct Expected {
  const char* name;
  int colorType;
  int bitDepth;
  bool trns;
  int width, height;
};

// One of each kind the loader reads, at sizes that are and are not powers of two.
const Expected kPictures[] = {
    {"yellow_frame2.png", PNG_COLOR_TYPE_RGB, 8, false, 640, 480},
    {"vorkast/d.png", PNG_COLOR_TYPE_PALETTE, 8, false, 256, 256},
    {"vorkast/white.png", PNG_COLOR_TYPE_GRAY, 8, false, 64, 48},
    {"vorkast/gulfisk.png", PNG_COLOR_TYPE_RGB, 8, false, 512, 512},
    {"vorkast/ribbon.png", PNG_COLOR_TYPE_PALETTE, 8, true, 512, 256},
    {"vorkast/overup.png", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, 640, 480},
    {"vorkast/lort.png", PNG_COLOR_TYPE_RGB, 8, true, 320, 240},
    {"vorkast/text/cuffercup.png", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 512, 512},
    {"vorkast/text/text01.png", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 640, 480},
    {"vorkast/text/text02.png", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 640, 480},
    {"vorkast/text/text03.png", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 640, 480},
    {"vorkast/text/text04.png", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 640, 480},
    {"vorkast/text/text05.png", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, 640, 480},
    {"vorkast/text/text06.png", PNG_COLOR_TYPE_PALETTE, 4, true, 640, 480},
    {"vorkast/text/text07.png", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, 320, 240},
    {"vorkast/text/text_overlay01.png", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, 512, 512},
    {"vorkast/text/text_overlay02.png", PNG_COLOR_TYPE_PALETTE, 8, true, 256, 256},
    {"vorkast/text/text_overlay03.png", PNG_COLOR_TYPE_GRAY, 8, true, 256, 256},
    {"vorkast/text/cred.png", PNG_COLOR_TYPE_GRAY_ALPHA, 8, false, 1024, 512},
    {"vorkast/text/hore.png", PNG_COLOR_TYPE_RGB_ALPHA, 8, false, 256, 256},
};

DecodedPng load(const std::string& name) { return readPng(dataDir() + "/textures/" + name); }

// Mean absolute colour step between two columns (or rows), alpha included.
double stepBetween(const DecodedPng& p, bool columns, int a, int b) {
  double sum = 0;
  int n = columns ? p.height : p.width;
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* x = columns ? p.at(a, i) : p.at(i, a);
    const std::uint8_t* y = columns ? p.at(b, i) : p.at(i, b);
    for (int c = 0; c < 4; ++c) sum += std::abs(x[c] - y[c]);
  }
  return sum / n;
}

TEST(Pictures, EveryNameIsThereOfTheKindMeant) {
  for (const Expected& e : kPictures) {
    SCOPED_TRACE(e.name);
    DecodedPng p = load(e.name);
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.colorType, e.colorType);
    EXPECT_EQ(p.bitDepth, e.bitDepth);
    EXPECT_EQ(p.trns, e.trns);
    EXPECT_EQ(p.width, e.width);
    EXPECT_EQ(p.height, e.height);
  }
  EXPECT_TRUE(load("vorkast/gulfisk.png").gama);
  EXPECT_TRUE(load("vorkast/overup.png").srgb);
  EXPECT_EQ(load("vorkast/text/text06.png").paletteSize, 16);
}

TEST(Pictures, FrameOverlayLeavesTheInteriorAloneAndTintsTheEdge) {
  DecodedPng p = load("yellow_frame2.png");
  ASSERT_TRUE(p.ok);
  for (int y = kFrameBorder; y < p.height - kFrameBorder; ++y) {
    for (int x = kFrameBorder; x < p.width - kFrameBorder; ++x) {
      const std::uint8_t* c = p.at(x, y);
      ASSERT_TRUE(c[0] == 128 && c[1] == 128 && c[2] == 128) << x << "," << y;
    }
  }
  // Under the doubled multiply a texel above 128 brightens, below darkens:
  // the band near the edge brightens red and green and dims blue.
  const std::uint8_t* band = p.at(p.width / 2, 8);
  EXPECT_GT(band[0], 160);
  EXPECT_GT(band[1], 150);
  EXPECT_LT(band[2], 110);
}

TEST(Pictures, BackdropsRepeatWithoutASeam) {
  // The show wraps, scrolls and turns these: the step from the last column
  // back to the first must look like any other step.
  for (const char* name : {"vorkast/d.png", "vorkast/gulfisk.png", "vorkast/ribbon.png",
                           "vorkast/lort.png", "vorkast/text/hore.png"}) {
    SCOPED_TRACE(name);
    DecodedPng p = load(name);
    ASSERT_TRUE(p.ok);
    for (bool columns : {true, false}) {
      int n = columns ? p.width : p.height;
      double typical = 0;
      for (int i = 0; i + 1 < n; ++i) typical += stepBetween(p, columns, i, i + 1);
      typical /= n - 1;
      EXPECT_LT(stepBetween(p, columns, n - 1, 0), 3.0 * typical + 4.0)
          << (columns ? "left/right" : "top/bottom");
    }
  }
}

TEST(Pictures, TopImagesAndOverlaysAreClearInTheMiddle) {
  struct Case {
    const char* name;
    float clearRow;  // a row (fraction of the height) that shows mid-screen
  };
  // The text scene draws its overlays shifted: row v shows at screen v + 0.2.
  const Case cases[] = {{"vorkast/overup.png", 0.5f},
                        {"vorkast/text/cuffercup.png", 0.5f},
                        {"vorkast/text/text_overlay01.png", 0.3f},
                        {"vorkast/text/text_overlay02.png", 0.3f},
                        {"vorkast/text/text_overlay03.png", 0.3f}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    DecodedPng p = load(c.name);
    ASSERT_TRUE(p.ok);
    int y = static_cast<int>(c.clearRow * p.height);
    for (int x = p.width / 5; x < p.width * 4 / 5; ++x) ASSERT_EQ(p.at(x, y)[3], 0) << x;
    int opaque = 0;
    for (std::size_t i = 3; i < p.rgba.size(); i += 4) opaque += p.rgba[i] >= 128;
    EXPECT_GT(opaque, p.width * p.height / 100) << "content at the edges";
  }
  // Overlays: the screen's top edge is texture row 0.8, where the band lies.
  DecodedPng overlay = load("vorkast/text/text_overlay01.png");
  EXPECT_GT(overlay.at(overlay.width / 2, overlay.height * 8 / 10)[3], 100);
}

TEST(Pictures, CaptionsAreWhiteTextOnClearInTheLowerMiddle) {
  for (int i = 1; i <= 7; ++i) {
    std::string name = "vorkast/text/text0" + std::to_string(i) + ".png";
    SCOPED_TRACE(name);
    DecodedPng p = load(name);
    ASSERT_TRUE(p.ok);
    int white = 0, partial = 0, outside = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x < p.width; ++x) {
        const std::uint8_t* c = p.at(x, y);
        if (c[3] == 0) continue;
        float row = static_cast<float>(y) / static_cast<float>(p.height);
        // Shown shifted by 0.2: rows 0.45 to 0.75 land low on the screen.
        if (row < 0.45f || row > 0.75f) ++outside;
        if (c[3] >= 250 && c[0] >= 240 && c[1] >= 240 && c[2] >= 240) ++white;
        if (c[3] > 0 && c[3] < 250) ++partial;
      }
    }
    EXPECT_EQ(outside, 0);
    EXPECT_GT(white, p.width * p.height / 400) << "readable white strokes";
    EXPECT_GT(partial, 0) << "soft edges";
  }
}

TEST(Pictures, CreditsAreDarkTextReadableOnWhite) {
  DecodedPng p = load("vorkast/text/cred.png");
  ASSERT_TRUE(p.ok);
  int dark = 0;
  for (int y = 0; y < p.height; ++y) {
    for (int x = 0; x < p.width; ++x) dark += p.at(x, y)[3] >= 250 && p.at(x, y)[0] < 100;
  }
  EXPECT_GT(dark, p.width * p.height / 200);
  EXPECT_EQ(p.at(0, 0)[3], 0);
  DecodedPng white = load("vorkast/white.png");
  for (std::size_t i = 0; i < white.rgba.size(); ++i) ASSERT_EQ(white.rgba[i], 255);
}

}  // namespace
