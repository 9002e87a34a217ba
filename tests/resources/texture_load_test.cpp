// Images into textures: sizes, levels, formats and texels through the
// device, and the failure line and empty Texture for files that do not load.
#include <filesystem>
#include <fstream>

#include "device_fixture.h"
#include "math/d3dx_texture.h"
#include "platform/d3dwindow.h"
#include "png_writer.h"
#include "resources/texture.h"

namespace {

using testpng::PngSpec;

struct Level {
  D3DSURFACE_DESC desc{};
  std::vector<std::uint8_t> bytes;  // rows packed, no pitch padding
};

Level readLevel(IDirect3DTexture9* texture, UINT level, UINT bytesPerTexel) {
  Level out;
  EXPECT_EQ(texture->GetLevelDesc(level, &out.desc), D3D_OK);
  D3DLOCKED_RECT locked{};
  EXPECT_EQ(texture->LockRect(level, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const std::size_t row = std::size_t{out.desc.Width} * bytesPerTexel;
  for (UINT y = 0; y < out.desc.Height; ++y) {
    const auto* src =
        static_cast<const std::uint8_t*>(locked.pBits) + std::size_t(locked.Pitch) * y;
    out.bytes.insert(out.bytes.end(), src, src + row);
  }
  texture->UnlockRect(level);
  return out;
}

PngSpec halfTransparent(std::uint32_t w, std::uint32_t h) {
  PngSpec spec = testpng::solid(w, h, PNG_COLOR_TYPE_RGBA, {30, 160, 90, 255});
  for (std::uint32_t y = 0; y < h; ++y) {
    for (std::uint32_t x = 0; x < w / 2; ++x) spec.samples[(y * w + x) * 4 + 3] = 0;
  }
  return spec;
}

class TextureLoad : public DeviceTest {};

TEST_F(TextureLoad, SizesArePowersOfTwoWithFullMipChains) {
  struct Case {
    std::uint32_t w, h, texW, texH, levels;
  };
  for (const Case c : {Case{640, 480, 1024, 512, 11}, Case{300, 200, 512, 256, 10},
                       Case{1, 1, 1, 1, 1}, Case{256, 256, 256, 256, 9}, Case{1, 5, 1, 8, 4}}) {
    writeTexture("img.png",
                 testpng::encode(testpng::solid(c.w, c.h, PNG_COLOR_TYPE_RGB, {1, 2, 3})));
    Texture texture;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(texture.loadFromFile("img.png"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a good load prints nothing";
    ASSERT_NE(texture.texture, nullptr) << c.w << "x" << c.h;
    ASSERT_NE(texture.surface, nullptr);
    EXPECT_EQ(texture.texture->GetLevelCount(), c.levels) << c.w << "x" << c.h;
    D3DSURFACE_DESC desc{};
    texture.surface->GetDesc(&desc);
    EXPECT_EQ(desc.Width, c.texW);
    EXPECT_EQ(desc.Height, c.texH);
    EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
    texture.texture->GetLevelDesc(c.levels - 1, &desc);
    EXPECT_EQ(desc.Width, 1u);
    EXPECT_EQ(desc.Height, 1u);
  }
}

TEST_F(TextureLoad, FormatFollowsTheFile) {
  std::vector<png_color> grey;
  for (int i = 0; i < 256; ++i) grey.push_back({png_byte(i), png_byte(i), png_byte(i)});
  PngSpec greyPalette;
  greyPalette.colorType = PNG_COLOR_TYPE_PALETTE;
  greyPalette.palette = grey;
  greyPalette.samples = {7};
  PngSpec translucentPalette = greyPalette;
  translucentPalette.palette[7].red = 1;
  translucentPalette.paletteAlpha = {255, 255, 255, 255, 255, 255, 255, 128};
  std::vector<png_color> ramp;
  auto bits3 = [](unsigned v) { return png_byte((v << 5) | (v << 2) | (v >> 1)); };
  for (unsigned i = 0; i < 256; ++i)
    ramp.push_back({bits3(i >> 5), bits3((i >> 2) & 7), png_byte((i & 3) * 85)});
  PngSpec ramp332 = greyPalette;
  ramp332.palette = ramp;
  PngSpec colourPalette = greyPalette;
  colourPalette.palette[0].blue = 9;

  struct Case {
    const char* what;
    PngSpec spec;
    D3DFORMAT format;
  };
  const Case cases[] = {
      {"rgba", testpng::solid(2, 2, PNG_COLOR_TYPE_RGBA, {1, 2, 3, 4}), D3DFMT_A8R8G8B8},
      {"rgb", testpng::solid(2, 2, PNG_COLOR_TYPE_RGB, {1, 2, 3}), D3DFMT_X8R8G8B8},
      {"grey", testpng::solid(2, 2, PNG_COLOR_TYPE_GRAY, {1}), D3DFMT_L8},
      {"grey+alpha", testpng::solid(2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, {1, 2}), D3DFMT_A8L8},
      {"grey 4-bit", testpng::solid(2, 2, PNG_COLOR_TYPE_GRAY, {9}, 4), D3DFMT_L8},
      {"palette", colourPalette, D3DFMT_X8R8G8B8},
      {"palette+tRNS", translucentPalette, D3DFMT_A8R8G8B8},
      {"grey ramp", greyPalette, D3DFMT_L8},
      {"3-3-2 ramp", ramp332, D3DFMT_R3G3B2},
  };
  for (const Case& c : cases) {
    writeTexture("f.png", testpng::encode(c.spec));
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(g_device, "data/textures/f.png", &texture), D3D_OK)
        << c.what;
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Format, c.format) << c.what;
    texture->Release();
  }
  EXPECT_EQ(d3d9port::liveObjectCount(), liveBefore);
}

TEST_F(TextureLoad, TexelsAndMipLevelsCarryTheImage) {
  // 2 x 2, one colour per corner: level 0 holds them, level 1 their mean.
  PngSpec spec;
  spec.width = spec.height = 2;
  spec.colorType = PNG_COLOR_TYPE_RGBA;
  spec.samples = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 1};
  writeTexture("corners.png", testpng::encode(spec));
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileA(g_device, "data/textures/corners.png", &texture), D3D_OK);
  const Level top = readLevel(texture, 0, 4);
  EXPECT_EQ(top.bytes, (std::vector<std::uint8_t>{0, 0, 255, 255, 0, 255, 0, 255, 255, 0, 0, 255,
                                                  255, 255, 255, 1}));
  const Level mip = readLevel(texture, 1, 4);
  EXPECT_EQ(mip.bytes, (std::vector<std::uint8_t>{128, 128, 128, 192}));
  texture->Release();
}

TEST_F(TextureLoad, AlphaSurvivesLoading) {
  writeTexture("half.png", testpng::encode(halfTransparent(64, 16)));
  writeTexture("wide.png", testpng::encode(halfTransparent(640, 480)));
  Texture exact, stretched;
  exact.loadFromFile("half.png");
  stretched.loadFromFile("wide.png");
  ASSERT_NE(exact.texture, nullptr);
  ASSERT_NE(stretched.texture, nullptr);

  const Level small = readLevel(exact.texture, 0, 4);
  for (std::uint32_t x = 0; x < 64; ++x) {
    EXPECT_EQ(small.bytes[x * 4 + 3], x < 32 ? 0 : 255) << x;
  }
  const Level big = readLevel(stretched.texture, 0, 4);
  ASSERT_EQ(big.desc.Width, 1024u);
  const std::size_t row = 1024 * 4 * 300;
  EXPECT_EQ(big.bytes[row + 3], 0);
  EXPECT_EQ(big.bytes[row + 509 * 4 + 3], 0);
  EXPECT_EQ(big.bytes[row + 514 * 4 + 3], 255);
  EXPECT_EQ(big.bytes[row + 1023 * 4 + 3], 255);
  EXPECT_EQ(big.bytes[row + 1023 * 4 + 1], 160);  // green of the opaque half
}

TEST_F(TextureLoad, NamesAreAppendedToTheTextureFolder) {
  const auto file = testpng::encode(testpng::solid(2, 2, PNG_COLOR_TYPE_GRAY, {50}));
  writeTexture("vorkast/lort.png", file);
  // Recognised by content, not by name.
  writeTexture("photo.jpg", file);
  Texture sub, named;
  testing::internal::CaptureStdout();
  sub.loadFromFile("vorkast/lort.png");
  named.loadFromFile("photo.jpg");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_NE(sub.texture, nullptr);
  EXPECT_NE(named.texture, nullptr);
}

TEST_F(TextureLoad, FilesThatDoNotLoadLeaveAnEmptyTextureAndOneLine) {
  writeTexture("empty.png", {});
  writeTexture("jpeg.png", {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1});
  writeTexture("huge.png", testpng::headerOnly(100000, 100000));
  auto cut = testpng::encode(testpng::solid(8, 8, PNG_COLOR_TYPE_RGB, {1, 2, 3}));
  cut.resize(cut.size() - 20);
  writeTexture("cut.png", cut);
  auto badCrc = testpng::encode(testpng::solid(8, 8, PNG_COLOR_TYPE_RGB, {1, 2, 3}));
  badCrc[8 + 8 + 13] ^= 0x40;  // IHDR's CRC
  writeTexture("crc.png", badCrc);
  std::filesystem::create_directories(scratch / "data/textures/folder.png");
  {
    // Past the file-size cap; sparse, so it costs no disk.
    std::ofstream big(scratch / "data/textures/big.png", std::ios::binary);
    const auto png = testpng::encode(testpng::solid(1, 1, PNG_COLOR_TYPE_RGB, {1, 2, 3}));
    big.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  }
  std::filesystem::resize_file(scratch / "data/textures/big.png", (std::uintmax_t{64} << 20) + 1);

  for (const std::string name : {"missing.png", "empty.png", "jpeg.png", "huge.png", "cut.png",
                                 "crc.png", "folder.png", "big.png", ""}) {
    Texture texture;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(texture.loadFromFile(name));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Loading Texture, data/textures/" + name + "\n");
    EXPECT_EQ(texture.texture, nullptr) << name;
    EXPECT_EQ(texture.surface, nullptr) << name;
    // Still usable: binding it clears the stage.
    EXPECT_EQ(texture.bind(1), D3D_OK);
    IDirect3DBaseTexture9* bound = reinterpret_cast<IDirect3DBaseTexture9*>(1);
    g_device->GetTexture(1, &bound);
    EXPECT_EQ(bound, nullptr);
  }
  EXPECT_EQ(d3d9port::liveObjectCount(), liveBefore) << "a failed load leaks nothing";
}

TEST_F(TextureLoad, DeviceRefusingTheTextureIsAFailedLoad) {
  writeTexture("ok.png", testpng::encode(testpng::solid(4, 4, PNG_COLOR_TYPE_RGB, {1, 2, 3})));
  d3d9port::Faults faults;
  faults.createTextureFailsAt = 1;
  d3d9port::setFaults(faults);
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_LT(D3DXCreateTextureFromFileA(g_device, "data/textures/ok.png", &texture), 0);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(D3DXCreateTextureFromFileA(g_device, "data/textures/ok.png", &texture), D3D_OK);
  texture->Release();
}

TEST_F(TextureLoad, ReleaseGivesUpTextureThenSurfaceOnce) {
  writeTexture("a.png", testpng::encode(testpng::solid(4, 4, PNG_COLOR_TYPE_RGB, {1, 2, 3})));
  d3d9port::setTraceEnabled(true);
  {
    Texture texture;
    texture.loadFromFile("a.png");
    const std::string tex = lastResult("CreateTexture(");
    const std::string surf = lastResult("GetSurfaceLevel(");
    ASSERT_FALSE(tex.empty());
    ASSERT_FALSE(surf.empty());
    d3d9port::clearTrace();
    texture.release();
    const auto lines = trace();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Release(" + tex + ")", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("Release(" + surf + ")", 0), 0u) << lines[1];
    EXPECT_EQ(texture.texture, nullptr);
    EXPECT_EQ(texture.surface, nullptr);
    d3d9port::clearTrace();
    texture.release();
  }  // and the destructor releases nothing more
  EXPECT_TRUE(trace().empty());
  EXPECT_EQ(d3d9port::liveObjectCount(), liveBefore);
}

}  // namespace
