#include "pictures.h"

#include <utility>

#include "backdrops.h"
#include "captions.h"
#include "overlays.h"
#include "png_kinds.h"
#include "text_renderer.h"

// Between them the pictures use every kind of PNG the loader reads (RGB,
// RGBA, grey, grey with alpha, palette with and without tRNS, RGB and grey
// with a tRNS key, a 4-bit palette), at sizes that are and are not powers of
// two.
std::vector<Picture> makePictures(const std::string& boldFont, const std::string& plainFont) {
  TextRenderer bold(boldFont);
  TextRenderer plain(plainFont);
  if (!bold.ok() || !plain.ok()) return {};
  std::vector<Picture> all;
  auto add = [&all](std::string name, PngImage image) {
    all.push_back(Picture{std::move(name), std::move(image)});
  };

  add("yellow_frame2.png", asRgb(frameOverlay(640, 480, kFrameBorder)));
  add("vorkast/d.png", asPalette(openingBackdrop(256), {nightRamp(), 256, 1, 8}));
  add("vorkast/white.png", asGrey(Canvas(64, 48, Rgba{1, 1, 1, 1})));
  PngImage gulfisk = asRgb(fishScales(512));
  gulfisk.fileGamma = 0.45455;  // the usual gamma: the loader leaves the colours alone
  add("vorkast/gulfisk.png", std::move(gulfisk));
  add("vorkast/ribbon.png", asPalette(ribbons(512, 256), {ribbonRamp(), 63, 5, 8}));
  PngImage overup = asRgba(topAndBottomBars(640, 480, bold));
  overup.srgb = true;
  add("vorkast/overup.png", std::move(overup));
  add("vorkast/lort.png", asRgbWithKey(marble(320, 240), Rgba{0, 0, 0, 1}));
  add("vorkast/text/cuffercup.png", asGreyAlpha(cornerOrnaments(512)));

  const CaptionLines lines[7] = {
      {"vorkast05", "a real-time show in four scenes"},
      {"greetings", "to everyone who codes for fun"},
      {"greetings", "to the makers of free tools"},
      {"drawn on the cpu", "by a direct3d of our own"},
      {"music made by code", "every note synthesized"},
      {"thank you", "for watching"},
      {"the end", "vorkast05"},
  };
  for (int i = 0; i < 4; ++i) {
    add("vorkast/text/text0" + std::to_string(i + 1) + ".png",
        asGreyAlpha(caption(bold, plain, lines[i], 640, 480)));
  }
  add("vorkast/text/text05.png", asRgba(caption(bold, plain, lines[4], 640, 480)));
  // Fifteen opacities of white and grey and one clear entry: a 4-bit palette.
  add("vorkast/text/text06.png",
      asPalette(caption(bold, plain, lines[5], 640, 480), {{{0, 0, 0, 1}, {1, 1, 1, 1}}, 3, 6, 4}));
  add("vorkast/text/text07.png", asRgba(caption(bold, plain, lines[6], 320, 240)));

  add("vorkast/text/text_overlay01.png",
      asRgba(shiftedEdgeOverlay(512, 512, OverlayStyle::CoolBars)));
  add("vorkast/text/text_overlay02.png",
      asPalette(shiftedEdgeOverlay(256, 256, OverlayStyle::WarmChecks),
                {{{1.0f, 0.35f, 0.45f, 1}, {1.0f, 0.7f, 0.2f, 1}}, 2, 5, 8}));
  add("vorkast/text/text_overlay03.png",
      asGreyWithKey(shiftedEdgeOverlay(256, 256, OverlayStyle::WhiteDots), 0.0f));
  add("vorkast/text/cred.png", asGreyAlpha(credits(bold, plain, 1024, 512)));
  add("vorkast/text/hore.png", asRgba(blossoms(256)));
  return all;
}
