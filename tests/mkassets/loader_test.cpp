// Every generated picture through the show's own image loader, on the
// software device: it loads, in the format its PNG kind calls for, and the
// frame overlay stays mid grey after resampling.
#include <d3d9.h>
#include <gtest/gtest.h>

#include <string>

#include "math/d3dx_texture.h"
#include "png_read.h"

namespace {

struct Expected {
  const char* name;
  D3DFORMAT format;
};

const Expected kPictures[] = {
    {"yellow_frame2.png", D3DFMT_X8R8G8B8},
    {"vorkast/d.png", D3DFMT_X8R8G8B8},  // an opaque palette
    {"vorkast/white.png", D3DFMT_L8},
    {"vorkast/gulfisk.png", D3DFMT_X8R8G8B8},
    {"vorkast/ribbon.png", D3DFMT_A8R8G8B8},  // palette with tRNS
    {"vorkast/overup.png", D3DFMT_A8R8G8B8},
    {"vorkast/lort.png", D3DFMT_A8R8G8B8},  // RGB with a tRNS key
    {"vorkast/text/cuffercup.png", D3DFMT_A8L8},
    {"vorkast/text/text01.png", D3DFMT_A8L8},
    {"vorkast/text/text02.png", D3DFMT_A8L8},
    {"vorkast/text/text03.png", D3DFMT_A8L8},
    {"vorkast/text/text04.png", D3DFMT_A8L8},
    {"vorkast/text/text05.png", D3DFMT_A8R8G8B8},
    {"vorkast/text/text06.png", D3DFMT_A8R8G8B8},  // 4-bit palette with tRNS
    {"vorkast/text/text07.png", D3DFMT_A8R8G8B8},
    {"vorkast/text/text_overlay01.png", D3DFMT_A8R8G8B8},
    {"vorkast/text/text_overlay02.png", D3DFMT_A8R8G8B8},
    {"vorkast/text/text_overlay03.png", D3DFMT_A8L8},  // grey with a tRNS key
    {"vorkast/text/cred.png", D3DFMT_A8L8},
    {"vorkast/text/hore.png", D3DFMT_A8R8G8B8},
};

UINT powerOfTwoAtLeast(int n) {
  UINT p = 1;
  while (p < static_cast<UINT>(n)) p *= 2;
  return p;
}

class Loader : public ::testing::Test {
 protected:
  void SetUp() override {
    direct3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(direct3d_, nullptr);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    ASSERT_EQ(direct3d_->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                      D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &device_),
              D3D_OK);
  }
  void TearDown() override {
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
  }

  IDirect3D9* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

TEST_F(Loader, LoadsEveryPictureInTheFormatItsKindCallsFor) {
  for (const Expected& e : kPictures) {
    SCOPED_TRACE(e.name);
    std::string path = dataDir() + "/textures/" + e.name;
    DecodedPng png = readPng(path);
    ASSERT_TRUE(png.ok);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3DXCreateTextureFromFileA(device_, path.c_str(), &texture), D3D_OK);
    D3DSURFACE_DESC desc{};
    ASSERT_EQ(texture->GetLevelDesc(0, &desc), D3D_OK);
    EXPECT_EQ(desc.Format, e.format);
    EXPECT_EQ(desc.Width, powerOfTwoAtLeast(png.width));
    EXPECT_EQ(desc.Height, powerOfTwoAtLeast(png.height));
    texture->Release();
  }
}

TEST_F(Loader, FrameOverlayStaysMidGreyInsideAfterResampling) {
  std::string path = dataDir() + "/textures/yellow_frame2.png";
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(D3DXCreateTextureFromFileA(device_, path.c_str(), &texture), D3D_OK);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  // The middle half of the texture lies well inside the frame's border.
  for (UINT y = desc.Height / 4; y < desc.Height * 3 / 4; y += 7) {
    const auto* row =
        static_cast<const std::uint8_t*>(locked.pBits) + std::size_t(locked.Pitch) * y;
    for (UINT x = desc.Width / 4; x < desc.Width * 3 / 4; x += 5) {
      ASSERT_EQ(row[x * 4 + 0], 128) << x << "," << y;  // B, G, R, X
      ASSERT_EQ(row[x * 4 + 1], 128);
      ASSERT_EQ(row[x * 4 + 2], 128);
    }
  }
  texture->UnlockRect(0);
  texture->Release();
}

}  // namespace
