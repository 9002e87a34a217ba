// Blended draws of mostly transparent textures leave out the triangles whose
// texels are all clear. Left out or not, the picture must be the reference
// pipeline's: dots of colour next to a triangle's footprint, across wrap
// seams, clamped edges and mip levels, and after a lock, included.
#include "clear_cull.h"

#include <cmath>
#include <random>

#include "clear_tiles.h"
#include "draw_helpers.h"
#include "texture.h"

namespace {

// A level of the given size, clear but for the given texels' alpha.
std::unique_ptr<d3d9impl::Image> clearImage(UINT w, UINT h,
                                            std::initializer_list<std::pair<int, int>> dots) {
  std::unique_ptr<d3d9impl::Image> image;
  EXPECT_EQ(d3d9impl::Image::create(D3DFMT_A8R8G8B8, w, h, &image), D3D_OK);
  for (UINT y = 0; y < h; ++y) {
    for (UINT x = 0; x < w; ++x) image->row32(y)[x] = 0x00FFFFFFu;  // white, transparent
  }
  for (const auto& [x, y] : dots) image->row32(static_cast<UINT>(y))[x] = 0x01000000u;
  return image;
}

TEST(ClearTiles, FindTheTilesThatAWrappedOrClampedRangeTouches) {
  // 20 x 12: three tiles by two, the last ones partly outside the level.
  const auto image = clearImage(20, 12, {{13, 5}, {0, 11}});
  d3d9impl::ClearTiles tiles(20, 12);
  tiles.update(*image);
  EXPECT_TRUE(tiles.clear(0, 7, 0, 7, false, false));
  EXPECT_FALSE(tiles.clear(8, 15, 0, 7, false, false));
  EXPECT_FALSE(tiles.clear(12, 12, 2, 2, false, false)) << "a tile with alpha in it counts whole";
  EXPECT_TRUE(tiles.clear(16, 19, 0, 11, false, false));
  EXPECT_FALSE(tiles.clear(7, 8, 0, 0, false, false)) << "a range over two tiles";
  // Wrapped: columns -4..-1 are 16..19, -8..-5 are 12..15; row -1 is 11.
  EXPECT_TRUE(tiles.clear(-4, -1, 0, 3, true, true));
  EXPECT_FALSE(tiles.clear(-8, -5, 0, 3, true, true));
  EXPECT_TRUE(tiles.clear(20, 23, 12, 15, true, true));
  EXPECT_FALSE(tiles.clear(0, 3, -1, -1, true, true));
  EXPECT_FALSE(tiles.clear(18, 21, 8, 9, true, false)) << "across the seam, onto column 0";
  EXPECT_FALSE(tiles.clear(100, 125, 0, 0, true, false)) << "a whole row, and more";
  // Clamped: far to the left and below is texel (0, 11); right and above, (19, 0).
  EXPECT_FALSE(tiles.clear(-50, -40, 20, 30, false, false));
  EXPECT_TRUE(tiles.clear(30, 40, -9, -3, false, false));
  // Alpha anywhere in the level but not in the range: found again after an update.
  const auto opaque = clearImage(20, 12, {{2, 2}});
  tiles.update(*opaque);
  EXPECT_FALSE(tiles.clear(0, 7, 0, 7, false, false));
  EXPECT_TRUE(tiles.clear(8, 15, 0, 7, false, false));
}

class ClearCullTest : public DrawTest {
 protected:
  void TearDown() override {
    d3d9port::setReferencePipeline(false);
    DrawTest::TearDown();
  }

  // A w x h texture with a full chain, each level clear but for dots of
  // colour, about one texel in `sparse`.
  IDirect3DTexture9* dotted(UINT w, UINT h, int sparse, std::mt19937& random) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(device->CreateTexture(w, h, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
              D3D_OK);
    for (UINT level = 0; level < t->GetLevelCount(); ++level) {
      D3DSURFACE_DESC desc;
      t->GetLevelDesc(level, &desc);
      std::vector<DWORD> texels(std::size_t{desc.Width} * desc.Height);
      for (DWORD& texel : texels) {
        const DWORD colour = static_cast<DWORD>(random()) & 0x00FFFFFFu;
        const bool dot = static_cast<int>(random() % static_cast<unsigned>(sparse)) == 0;
        texel = dot ? (colour | ((1u + static_cast<DWORD>(random()) % 255u) << 24)) : colour;
      }
      fillTexture(t, level, texels);
    }
    textures.push_back(t);
    return t;
  }

  // Clear but for column 8 and row 8 of the first level: the first texels
  // of tiles whose neighbours are clear, read only as a bilinear
  // neighbour by pixels whose texels lie just before them.
  IDirect3DTexture9* crossed(UINT size) {
    IDirect3DTexture9* t = nullptr;
    EXPECT_EQ(
        device->CreateTexture(size, size, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &t, nullptr),
        D3D_OK);
    for (UINT level = 0; level < t->GetLevelCount(); ++level) {
      const UINT side = size >> level;
      std::vector<DWORD> texels(std::size_t{side} * side, 0x0030C050u);
      for (UINT i = 0; level == 0 && i < side; ++i) {
        texels[8 * side + i] = 0xFFE02080u;
        texels[i * side + 8] = 0xFFE02080u;
      }
      fillTexture(t, level, texels);
    }
    textures.push_back(t);
    return t;
  }

  struct Grid {
    float scale, offsetU, offsetV, wave;
  };

  // A grid of small triangles over the target (cells of 6 x 8 pixels on a
  // 96 x 80 target), its texture coordinates scaled, shifted and bent as
  // the show's warp grid bends them; drawn a band of cells at a time.
  void drawGrid(const Grid& g) {
    constexpr int kColumns = 16, kRows = 10;
    auto vertex = [&](int i, int j) {
      const float x = static_cast<float>(i) / kColumns, y = static_cast<float>(j) / kRows;
      return QuadVertex{2.0f * x - 1.0f,
                        1.0f - 2.0f * y,
                        0.5f,
                        0xFFFFFFFFu,
                        g.offsetU + g.scale * x + g.wave * std::sin(7.0f * y),
                        g.offsetV + g.scale * y + g.wave * std::cos(5.0f * x)};
    };
    for (int j = 0; j < kRows; ++j) {
      std::vector<QuadVertex> band;
      for (int i = 0; i < kColumns; ++i) {
        const QuadVertex a = vertex(i, j), b = vertex(i + 1, j), c = vertex(i + 1, j + 1),
                         d = vertex(i, j + 1);
        if (band.size() + 6 > 60) {
          draw(D3DPT_TRIANGLELIST, band, static_cast<UINT>(band.size() / 3));
          band.clear();
        }
        band.insert(band.end(), {a, b, c, a, c, d});
      }
      draw(D3DPT_TRIANGLELIST, band, static_cast<UINT>(band.size() / 3));
    }
  }

  // The stages that decide alpha by the texture's: the screen quads', the
  // warp grid's (the lit colour at stage 0, TFACTOR times the texture at
  // stage 1), and a product with the diffuse colour.
  void stages(int kind, IDirect3DTexture9* t) {
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTexture(0, t);
    device->SetTexture(1, nullptr);
    if (kind == 0) {
      selectStage0(D3DTA_TEXTURE);
    } else if (kind == 1) {
      warpGridStages();
      device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
      device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xC0FFFFFFu);
      device->SetTexture(1, t);
    } else {
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
      device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
      device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
      device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
      device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
      device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
    }
  }

  std::vector<std::uint32_t> render(const Grid& g, bool reference, int threads) {
    d3d9port::setReferencePipeline(reference);
    d3d9port::setThreadCount(threads);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010u, 1.0f, 0);
    drawGrid(g);
    return pixels();
  }
};

TEST_F(ClearCullTest, DottedTexturesGiveTheReferenceBits) {
  target(96, 80);
  std::mt19937 random(1207);
  IDirect3DTexture9* dottedOnes[] = {dotted(64, 64, 150, random), dotted(32, 16, 60, random),
                                     crossed(64)};
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  // Magnified and minified (to the second and third levels), shifted over
  // the wrap seams and the clamped edges.
  std::vector<Grid> grids = {{1.0f, 0.0f, 0.0f, 0.0f}, {0.37f, 0.0f, 0.0f, 0.0f}};
  std::uniform_real_distribution<float> scale(0.3f, 3.5f), offset(-1.5f, 1.5f), wave(0.0f, 0.1f);
  for (int i = 0; i < 15; ++i)
    grids.push_back({scale(random), offset(random), offset(random), wave(random)});
  int count = 0;
  for (int kind = 0; kind < 3; ++kind) {
    for (IDirect3DTexture9* t : dottedOnes) {
      for (const Grid& g : grids) {
        const DWORD filter = count % 3 == 0 ? D3DTEXF_POINT : D3DTEXF_LINEAR;
        const DWORD mip =
            count % 4 == 0 ? D3DTEXF_NONE : (count % 4 == 1 ? D3DTEXF_POINT : D3DTEXF_LINEAR);
        const DWORD address = count % 2 == 0 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
        ++count;
        stages(kind, t);
        for (DWORD s = 0; s < 2; ++s) filters(s, filter, filter, mip, address);
        const std::vector<std::uint32_t> expected = render(g, true, 1);
        EXPECT_EQ(render(g, false, 1), expected) << "grid " << count;
        EXPECT_EQ(render(g, false, 2), expected) << "grid " << count << ", two threads";
      }
    }
  }
}

TEST_F(ClearCullTest, ALockedAndRefilledTextureIsReadAfresh) {
  target(96, 80);
  std::mt19937 random(3);
  IDirect3DTexture9* t = dotted(32, 32, 1000000, random);  // clear all over
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  stages(0, t);
  filters(0, D3DTEXF_LINEAR, D3DTEXF_LINEAR, D3DTEXF_NONE, D3DTADDRESS_WRAP);
  const Grid g = {1.0f, 0.0f, 0.0f, 0.02f};
  const std::vector<std::uint32_t> before = render(g, false, 1);
  EXPECT_EQ(before, render(g, true, 1));
  fillTexture(t, 0, std::vector<DWORD>(32 * 32, 0x80C08040u));
  const std::vector<std::uint32_t> after = render(g, false, 1);
  EXPECT_NE(after, before);
  EXPECT_EQ(after, render(g, true, 1));
}

TEST_F(ClearCullTest, LeavesOutOnlyWhatTheBlendAndTheStagesAllow) {
  target(8, 8);
  std::mt19937 random(5);
  IDirect3DTexture9* t = dotted(32, 32, 1000000, random);
  d3d9impl::DrawPlan plan;
  plan.blend = true;
  plan.srcBlend = D3DBLEND_SRCALPHA;
  plan.destBlend = D3DBLEND_INVSRCALPHA;
  plan.stageCount = 1;
  d3d9impl::StagePlan& stage = plan.stages[0];
  stage.colorOp = stage.alphaOp = D3DTOP_SELECTARG1;
  stage.colorArg1 = stage.alphaArg1 = D3DTA_TEXTURE;
  stage.colorArg2 = stage.alphaArg2 = D3DTA_DIFFUSE;
  stage.texture = static_cast<d3d9impl::Texture*>(t);
  // A triangle over pixels 2..6 whose texels are 1.5..5.5: all clear.
  d3d9impl::Triangle tri{};
  const std::int64_t corners[3][2] = {{2 * 256, 2 * 256}, {6 * 256, 2 * 256}, {2 * 256, 6 * 256}};
  for (int e = 0; e < 3; ++e) {
    tri.edges[e].x0 = corners[e][0];
    tri.edges[e].y0 = corners[e][1];
  }
  tri.affine = true;
  tri.stages[0].u = {0.0, 1.0 / 32.0, 0.0};
  tri.stages[0].v = {0.0, 0.0, 1.0 / 32.0};
  tri.stages[0].linear = true;
  EXPECT_TRUE(d3d9impl::ClearCull(plan).leavesTarget(tri));
  d3d9impl::Triangle odd = tri;
  odd.stages[0].u = {std::nan(""), 0.0, 0.0};
  EXPECT_FALSE(d3d9impl::ClearCull(plan).leavesTarget(odd)) << "coordinates that are not numbers";
  odd.stages[0].u = {HUGE_VAL, 0.0, 0.0};
  EXPECT_FALSE(d3d9impl::ClearCull(plan).leavesTarget(odd)) << "infinite coordinates";
  tri.affine = false;
  EXPECT_FALSE(d3d9impl::ClearCull(plan).leavesTarget(tri))
      << "not affine: the reference path draws it";
  tri.affine = true;

  auto active = [&](const d3d9impl::DrawPlan& p) { return d3d9impl::ClearCull(p).active(); };
  EXPECT_TRUE(active(plan));
  d3d9impl::DrawPlan other = plan;
  other.destBlend = D3DBLEND_ONE;  // an additive blend adds the colour of alpha 0 too
  EXPECT_FALSE(active(other));
  other = plan;
  other.targetAlpha = false;  // X8R8G8B8: the stores set its unused byte
  EXPECT_FALSE(active(other));
  other = plan;
  other.stages[0].alphaOp = D3DTOP_MODULATE4X;
  other.stages[0].alphaArg2 = D3DTA_TEXTURE;
  EXPECT_TRUE(active(other));
  other = plan;
  other.stages[0].alphaArg1 = D3DTA_TEXTURE | D3DTA_COMPLEMENT;
  EXPECT_FALSE(active(other));
  other = plan;
  other.stages[0].alphaOp = D3DTOP_ADD;
  EXPECT_FALSE(active(other));
  other = plan;
  other.stages[0].alphaArg1 = D3DTA_CURRENT;  // the diffuse alpha
  EXPECT_FALSE(active(other));
  other = plan;  // a later stage passing the texture's alpha on
  other.stageCount = 2;
  other.stages[1] = stage;
  other.stages[1].texture = nullptr;
  other.stages[1].alphaArg1 = D3DTA_CURRENT;
  other.stages[1].colorArg1 = D3DTA_DIFFUSE;
  EXPECT_TRUE(active(other));
  other.stages[1].alphaOp = D3DTOP_MODULATE;
  other.stages[1].alphaArg2 = D3DTA_TFACTOR;
  EXPECT_TRUE(active(other));
  other.stages[1].alphaOp = D3DTOP_SELECTARG2;
  other.stages[1].alphaArg1 = D3DTA_TFACTOR;
  other.stages[1].alphaArg2 = D3DTA_CURRENT;
  EXPECT_TRUE(active(other));
  other.stages[1].alphaArg2 = D3DTA_TFACTOR;  // the factor's alpha, not the texture's
  EXPECT_FALSE(active(other));

  // A dot inside the footprint, then a lock in progress: drawn.
  fillTexture(t, 0, [] {
    std::vector<DWORD> texels(32 * 32, 0x00FFFFFFu);
    texels[4 * 32 + 5] = 0x01000000u;
    return texels;
  }());
  EXPECT_FALSE(d3d9impl::ClearCull(plan).leavesTarget(tri));
  D3DLOCKED_RECT locked;
  ASSERT_EQ(t->LockRect(1, &locked, nullptr, 0), D3D_OK);
  plan.stages[0].sampler.firstLevel = 1;
  EXPECT_FALSE(active(plan)) << "a level being written";
  t->UnlockRect(1);
}

}  // namespace
