// Textures made around texels a loader prepared (d3d9port::createTextureFrom)
// are the textures that CreateTexture and locks would have made: the same
// levels, trace, refusals and faults, and the same pictures drawn from them.
#include <cstdlib>
#include <cstring>

#include "draw_helpers.h"
#include "texture.h"

namespace {

using HandedOverTexels = DrawTest;

// A malloc'd block holding `bytes`.
d3d9port::Texels block(const std::vector<std::uint8_t>& bytes) {
  d3d9port::Texels out(static_cast<std::uint8_t*>(std::malloc(bytes.size())));
  std::memcpy(out.get(), bytes.data(), bytes.size());
  return out;
}

std::vector<std::uint8_t> pattern(std::size_t bytes, unsigned seed) {
  std::vector<std::uint8_t> out(bytes);
  for (std::size_t i = 0; i < bytes; ++i) out[i] = static_cast<std::uint8_t>(i * 37 + seed * 11);
  return out;
}

std::vector<std::uint32_t> levelPixels(IDirect3DTexture9* texture, UINT level) {
  IDirect3DSurface9* surface = nullptr;
  if (texture->GetSurfaceLevel(level, &surface) != D3D_OK) return {};
  std::vector<std::uint32_t> pixels = d3d9port::readPixels(surface, nullptr, nullptr);
  surface->Release();
  return pixels;
}

TEST_F(HandedOverTexels, TheyAreTheLevelsCreateTextureAndLocksWouldHaveMade) {
  struct Case {
    D3DFORMAT format;
    std::size_t bytesPerTexel;
  };
  for (const Case c : {Case{D3DFMT_A8R8G8B8, 4}, Case{D3DFMT_L8, 1}, Case{D3DFMT_A8L8, 2}}) {
    // 8 x 4 down to 1 x 1: the sides reach 1 at different levels.
    const UINT sides[][2] = {{8, 4}, {4, 2}, {2, 1}, {1, 1}};
    std::vector<d3d9port::Texels> blocks;
    IDirect3DTexture9* locked = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 4, 4, 0, c.format, D3DPOOL_MANAGED, &locked, nullptr),
              D3D_OK);
    for (UINT i = 0; i < 4; ++i) {
      const std::size_t pitch = sides[i][0] * c.bytesPerTexel;
      const std::vector<std::uint8_t> bytes = pattern(pitch * sides[i][1], i);
      blocks.push_back(block(bytes));
      D3DLOCKED_RECT rect{};
      ASSERT_EQ(locked->LockRect(i, &rect, nullptr, 0), D3D_OK);
      for (UINT y = 0; y < sides[i][1]; ++y) {
        std::memcpy(static_cast<std::uint8_t*>(rect.pBits) + y * rect.Pitch, &bytes[y * pitch],
                    pitch);
      }
      locked->UnlockRect(i);
    }
    d3d9port::clearTrace();
    d3d9port::setTraceEnabled(true);
    IDirect3DTexture9* handed = nullptr;
    ASSERT_EQ(d3d9port::createTextureFrom(device, 8, 4, c.format, std::move(blocks), &handed),
              D3D_OK);
    d3d9port::setTraceEnabled(false);
    ASSERT_EQ(d3d9port::traceLines().size(), 1u);
    const std::string line = d3d9port::traceLines()[0];
    EXPECT_EQ(line.rfind("CreateTexture(8, 4, 4, 0x0, ", 0), 0u) << line;
    EXPECT_NE(line.find(", D3DPOOL_MANAGED) -> tex#"), std::string::npos) << line;

    ASSERT_EQ(handed->GetLevelCount(), 4u);
    for (UINT i = 0; i < 4; ++i) {
      D3DSURFACE_DESC desc{};
      ASSERT_EQ(handed->GetLevelDesc(i, &desc), D3D_OK);
      EXPECT_EQ(desc.Width, sides[i][0]);
      EXPECT_EQ(desc.Height, sides[i][1]);
      EXPECT_EQ(desc.Format, c.format);
      EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
      EXPECT_EQ(desc.Usage, 0u);
      const std::vector<std::uint32_t> got = levelPixels(handed, i);
      EXPECT_FALSE(got.empty());
      EXPECT_EQ(got, levelPixels(locked, i)) << "format " << c.format << ", level " << i;
    }
    EXPECT_EQ(handed->Release(), 0u);
    EXPECT_EQ(locked->Release(), 0u);
  }
}

TEST_F(HandedOverTexels, DrawsAsATextureFilledByLocksTransparentTilesIncluded) {
  // Mostly transparent, with a few opaque dots: blended, the clear tiles of
  // the handed-over texels let triangles be left out, and must be their own.
  const UINT side = 64;
  std::vector<DWORD> texels(side * side, 0x00FFFFFFu);
  for (UINT i = 0; i < side * side; i += 397) texels[i] = 0xFF000000u | (i * 2654435761u >> 8);
  std::vector<std::uint8_t> bytes(texels.size() * 4);
  std::memcpy(bytes.data(), texels.data(), bytes.size());
  std::vector<d3d9port::Texels> blocks;
  blocks.push_back(block(bytes));
  IDirect3DTexture9* handed = nullptr;
  ASSERT_EQ(
      d3d9port::createTextureFrom(device, side, side, D3DFMT_A8R8G8B8, std::move(blocks), &handed),
      D3D_OK);
  textures.push_back(handed);
  IDirect3DTexture9* locked = texture(side, side, texels);

  const auto* tiles = static_cast<d3d9impl::Texture*>(handed)->clearTiles(0);
  ASSERT_NE(tiles, nullptr);
  EXPECT_GT(tiles->clearShare(), 0.25);

  auto drawWith = [&](IDirect3DTexture9* t) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF204060u, 1.0f, 0);
    device->SetTexture(0, t);
    selectStage0(D3DTA_TEXTURE);
    filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, D3DTADDRESS_WRAP);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (int row = 0; row < 8; ++row) {
      for (int col = 0; col < 8; ++col) {
        const float x0 = -1 + col * 0.25f, y0 = 1 - row * 0.25f;
        quad(x0, y0, x0 + 0.25f, y0 - 0.25f, col * 0.125f, row * 0.125f, (col + 1) * 0.125f,
             (row + 1) * 0.125f);
      }
    }
    return pixels();
  };
  target(side, side);
  const std::vector<std::uint32_t> fromLocks = drawWith(locked);
  const std::vector<std::uint32_t> fromHanded = drawWith(handed);
  ASSERT_EQ(fromHanded.size(), std::size_t{side} * side);
  EXPECT_EQ(fromHanded, fromLocks);
  EXPECT_NE(std::count(fromHanded.begin(), fromHanded.end(), 0xFF204060u),
            static_cast<std::ptrdiff_t>(fromHanded.size()))
      << "the dots were drawn";
  device->SetTexture(0, nullptr);
}

TEST_F(HandedOverTexels, RefusalsAndFaultsAreCreateTexturesAndFreeTheBlocks) {
  // Under AddressSanitizer a block kept by a refused call shows up as a leak.
  auto blocks = [](std::size_t count, std::size_t bytes) {
    std::vector<d3d9port::Texels> out;
    for (std::size_t i = 0; i < count; ++i) out.push_back(block(std::vector<std::uint8_t>(bytes)));
    return out;
  };
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  // No levels; more levels than the chain has (2 x 2 has two).
  EXPECT_EQ(d3d9port::createTextureFrom(device, 2, 2, D3DFMT_A8R8G8B8, {}, &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(d3d9port::createTextureFrom(device, 2, 2, D3DFMT_A8R8G8B8, blocks(3, 16), &texture),
            D3DERR_INVALIDCALL);
  // A missing block, past the first.
  std::vector<d3d9port::Texels> holed = blocks(2, 16);
  holed[1].reset();
  EXPECT_EQ(d3d9port::createTextureFrom(device, 2, 2, D3DFMT_A8R8G8B8, std::move(holed), &texture),
            D3DERR_INVALIDCALL);
  // Sizes, formats and the out pointer as CreateTexture checks them.
  EXPECT_EQ(d3d9port::createTextureFrom(device, 0, 2, D3DFMT_A8R8G8B8, blocks(1, 16), &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9port::createTextureFrom(device, 16384, 1, D3DFMT_A8R8G8B8, blocks(1, 16), &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9port::createTextureFrom(device, 2, 2, D3DFMT_D24X8, blocks(1, 16), &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9port::createTextureFrom(device, 2, 2, D3DFMT_A8R8G8B8, blocks(1, 16), nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9port::createTextureFrom(nullptr, 2, 2, D3DFMT_A8R8G8B8, blocks(1, 16), &texture),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  // The counted fault counts these calls with CreateTexture's.
  d3d9port::Faults faults;
  faults.createTextureFailsAt = 2;
  d3d9port::setFaults(faults);
  IDirect3DTexture9* first = nullptr;
  ASSERT_EQ(device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &first, nullptr),
            D3D_OK);
  EXPECT_EQ(d3d9port::createTextureFrom(device, 2, 2, D3DFMT_A8R8G8B8, blocks(1, 16), &texture),
            D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(d3d9port::createTextureFrom(device, 2, 2, D3DFMT_A8R8G8B8, blocks(2, 16), &texture),
            D3D_OK);
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(first->Release(), 0u);
}

}  // namespace
