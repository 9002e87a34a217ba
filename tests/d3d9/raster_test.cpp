// Coverage, fill rule, clipping, stages, lighting and blending, each against
// values worked out by hand from Direct3D 9's rules.
#include <cmath>

#include "draw_helpers.h"

namespace {

using RasterTest = DrawTest;

// Clip-space x, y of pixel position (px, py) on a w x h target.
float ndcX(double px, double w) { return static_cast<float>(2.0 * px / w - 1.0); }
float ndcY(double py, double h) { return static_cast<float>(1.0 - 2.0 * py / h); }

// Additive blending of a colour of 1: a pixel drawn twice would read 2.
void countingState(IDirect3DDevice9* device) {
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
}

TEST_F(RasterTest, TwoTrianglesSharingAnEdgeCoverEachPixelOnce) {
  target(16, 16);
  countingState(device);
  selectStage0(D3DTA_DIFFUSE);
  const double px[4] = {2.5, 13.2, 12.1, 1.3}, py[4] = {1.5, 3.7, 14.4, 11.8};
  std::vector<QuadVertex> v;
  for (int i = 0; i < 4; ++i)
    v.push_back({ndcX(px[i], 16), ndcY(py[i], 16), 0.5f, 0x01010101u, 0, 0});
  draw(D3DPT_TRIANGLEFAN, v, 2);
  const auto p = pixels();
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      // Inside the convex quad: on the inner side of all four edges.
      bool inside = true;
      for (int e = 0; e < 4; ++e) {
        const int f = (e + 1) % 4;
        const double cross = (px[f] - px[e]) * (y - py[e]) - (py[f] - py[e]) * (x - px[e]);
        inside = inside && cross > 0;
      }
      EXPECT_EQ(p[y * 16 + x], inside ? 0x01010101u : 0u) << "pixel " << x << "," << y;
    }
  }
}

TEST_F(RasterTest, TopLeftRuleOnPixelCentres) {
  target(8, 8);
  countingState(device);
  selectStage0(D3DTA_DIFFUSE);
  // Edges exactly through pixel centres: x = 2 and 6, y = 1 and 5.
  quad(ndcX(2, 8), ndcY(1, 8), ndcX(6, 8), ndcY(5, 8), 0, 0, 1, 1, 0x01010101u);
  // And its neighbour to the right, sharing the edge x = 6.
  quad(ndcX(6, 8), ndcY(1, 8), ndcX(8, 8), ndcY(5, 8), 0, 0, 1, 1, 0x01010101u);
  const auto p = pixels();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      const bool covered = x >= 2 && x < 8 && y >= 1 && y < 5;
      EXPECT_EQ(p[y * 8 + x], covered ? 0x01010101u : 0u) << x << "," << y;
    }
  }
}

TEST_F(RasterTest, StripsListsAndIndexedDrawsCoverTheSamePixels) {
  target(8, 8);
  countingState(device);
  selectStage0(D3DTA_DIFFUSE);
  const DWORD c = 0x01010101u;
  draw(D3DPT_TRIANGLESTRIP,
       {{-1, 1, 0.5f, c, 0, 0},
        {1, 1, 0.5f, c, 0, 0},
        {-1, 0, 0.5f, c, 0, 0},
        {1, 0, 0.5f, c, 0, 0}},
       2);
  draw(D3DPT_TRIANGLELIST,
       {{-1, 0, 0.5f, c, 0, 0},
        {1, 0, 0.5f, c, 0, 0},
        {1, -1, 0.5f, c, 0, 0},
        {-1, 0, 0.5f, c, 0, 0},
        {1, -1, 0.5f, c, 0, 0},
        {-1, -1, 0.5f, c, 0, 0}},
       2);
  IDirect3DIndexBuffer9* ib = nullptr;
  ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &ib, nullptr),
            D3D_OK);
  void* data;
  ib->Lock(0, 0, &data, 0);
  const std::uint16_t idx[6] = {0, 1, 2, 2, 3, 0};  // the whole target again, as a fan would
  std::memcpy(data, idx, sizeof idx);
  ib->Unlock();
  draw(D3DPT_TRIANGLEFAN,
       {{-1, 1, 0.5f, c, 0, 0},
        {1, 1, 0.5f, c, 0, 0},
        {1, -1, 0.5f, c, 0, 0},
        {-1, -1, 0.5f, c, 0, 0}},
       0);
  device->SetIndices(ib);
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
  // An index past the stream is refused, not read.
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 61, 0, 4, 0, 2), D3DERR_INVALIDCALL);
  device->SetIndices(nullptr);
  ib->Release();
  for (std::uint32_t p : pixels()) ASSERT_EQ(p, 0x02020202u);
}

TEST_F(RasterTest, QuadsLargerThanTheTargetAndDepthClipping) {
  target(8, 8);
  countingState(device);
  selectStage0(D3DTA_DIFFUSE);
  quad(-3, 5, 40, -2, 0, 0, 1, 1, 0x01010101u);  // far beyond every edge
  // Depth from -1 at the left to 1 at the right: only z >= 0 remains, x >= 0.
  draw(D3DPT_TRIANGLEFAN,
       {{-1, 1, -1, 0x01010101u, 0, 0},
        {1, 1, 1, 0x01010101u, 0, 0},
        {1, -1, 1, 0x01010101u, 0, 0},
        {-1, -1, -1, 0x01010101u, 0, 0}},
       2);
  quad(-1, 1, 1, -1, 0, 0, 1, 1, 0x01010101u, 1.5f);        // behind the far plane: nothing
  quad(-1e9f, 1e9f, 1e9f, -1e9f, 0, 0, 1, 1, 0x01010101u);  // clipped to the guard band
  const auto p = pixels();
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) EXPECT_EQ(p[y * 8 + x], x >= 4 ? 0x03030303u : 0x02020202u) << x;
  }
}

TEST_F(RasterTest, CullModesFollowScreenWinding) {
  target(4, 4);
  countingState(device);
  selectStage0(D3DTA_DIFFUSE);
  const DWORD c = 0x01010101u;
  const std::vector<QuadVertex> clockwise = {
      {-1, 1, 0.5f, c, 0, 0}, {1, 1, 0.5f, c, 0, 0}, {1, -1, 0.5f, c, 0, 0}};
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);  // the default keeps clockwise triangles
  draw(D3DPT_TRIANGLELIST, clockwise, 1);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  draw(D3DPT_TRIANGLELIST, clockwise, 1);
  EXPECT_EQ(pixels()[3], 0x01010101u);  // top-right pixel: drawn once
}

TEST_F(RasterTest, StageOperationsAndArguments) {
  const DWORD texel = 0x80402010u, diffuse = 0xC0FF8000u, factor = 0x40808080u;
  target(2, 2);
  device->SetTexture(0, texture(1, 1, {texel}));
  device->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
  struct Case {
    DWORD op0, arg1, arg2, op1, arg1b, arg2b;
    DWORD expected;
  };
  const Case cases[] = {
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0, texel},
      {D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0, diffuse},
      {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE, D3DTOP_DISABLE, 0, 0, diffuse},
      {D3DTOP_SELECTARG1, D3DTA_TFACTOR, D3DTA_TEXTURE, D3DTOP_DISABLE, 0, 0, factor},
      // round(a b / 255): 128*192 -> 96, 64*255 -> 64, 32*128 -> 16, 16*0 -> 0
      {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0, 0x60401000u},
      // stage 1 modulates stage 0's texel with the factor: 32, 32, 16, 8
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_CURRENT,
       D3DTA_TFACTOR, 0x20201008u},
      // stage 1 reads a texture it does not have: the chain ends before it
      {D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
       D3DTA_TEXTURE, diffuse},
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, D3DTOP_DISABLE, 0, 0,
       ~texel},
  };
  for (const Case& c : cases) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, c.op0);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, c.arg1);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, c.arg2);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, c.op0);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, c.arg1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, c.arg2);
    device->SetTextureStageState(1, D3DTSS_COLOROP, c.op1);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, c.arg1b);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, c.arg2b);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, c.op1);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG1, c.arg1b);
    device->SetTextureStageState(1, D3DTSS_ALPHAARG2, c.arg2b);
    fullScreen(diffuse);
    EXPECT_EQ(pixels()[0], c.expected) << std::hex << c.op0 << " " << c.arg1 << " " << c.op1;
  }
}

// A stage whose result no later stage reads may be skipped, but only then:
// alpha and colour each count, and so does a colour argument that reads the
// current alpha.
TEST_F(RasterTest, EarlierStagesCountWhereverALaterStageReadsThem) {
  const DWORD a = 0x80402010u, b = 0x11223344u, diffuse = 0xC0FF8000u, factor = 0x40808080u;
  target(2, 2);
  device->SetTexture(0, texture(1, 1, {a}));
  device->SetTexture(1, texture(1, 1, {b}));
  device->SetRenderState(D3DRS_TEXTUREFACTOR, factor);
  auto stage = [&](DWORD s, DWORD colourOp, DWORD colour, DWORD alphaOp, DWORD alpha) {
    device->SetTextureStageState(s, D3DTSS_COLOROP, colourOp);
    device->SetTextureStageState(s, D3DTSS_COLORARG1, colour);
    device->SetTextureStageState(s, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(s, D3DTSS_ALPHAOP, alphaOp);
    device->SetTextureStageState(s, D3DTSS_ALPHAARG1, alpha);
    device->SetTextureStageState(s, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
  };
  const DWORD select = D3DTOP_SELECTARG1;
  stage(0, select, D3DTA_TEXTURE, select, D3DTA_TEXTURE);

  stage(1, select, D3DTA_TEXTURE, select, D3DTA_CURRENT);
  fullScreen(diffuse);
  EXPECT_EQ(pixels()[0], 0x80223344u) << "alpha alone reads stage 0";

  stage(1, select, D3DTA_CURRENT | D3DTA_ALPHAREPLICATE, select, D3DTA_TEXTURE);
  fullScreen(diffuse);
  EXPECT_EQ(pixels()[0], 0x11808080u) << "colour reads stage 0's alpha";

  // Stage 1 reads nothing of stage 0, stage 2 reads stage 1: b x factor.
  stage(1, select, D3DTA_TEXTURE, select, D3DTA_TEXTURE);
  stage(2, D3DTOP_MODULATE, D3DTA_CURRENT, D3DTOP_MODULATE, D3DTA_CURRENT);
  fullScreen(diffuse);
  EXPECT_EQ(pixels()[0], 0x04111A22u);

  // Stage 2 reads nothing before it: only the factor is left.
  stage(2, select, D3DTA_TFACTOR, select, D3DTA_DIFFUSE);
  fullScreen(diffuse);
  EXPECT_EQ(pixels()[0], 0xC0808080u);
}

TEST_F(RasterTest, ModulatingByAFullFactorKeepsTheArgument) {
  // round(255 a / 255) is a; a factor short of 255 in any channel is not.
  const DWORD texel = 0x80C02010u;
  target(2, 2);
  device->SetTexture(0, texture(1, 1, {texel}));
  for (const DWORD op : {D3DTOP_MODULATE, D3DTOP_MODULATE2X}) {
    device->SetTextureStageState(0, D3DTSS_COLOROP, op);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, op);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    const bool twice = op == D3DTOP_MODULATE2X;
    struct Case {
      DWORD factor, expected;
    };
    const Case cases[] = {
        {0xFFFFFFFFu, twice ? 0xFFFF4020u : texel},
        {0xFEFFFFFFu, twice ? 0xFEFF4020u : 0x7FC02010u},  // 128 x 254 / 255 = 127.5
        {0xFFFEFFFFu, twice ? 0xFFFF4020u : 0x80BF2010u},  // 192 x 254 / 255 = 191.25
        {0xFF7F7F7Fu, twice ? 0xFFC02010u : 0x80601008u},
    };
    for (const Case& c : cases) {
      device->SetRenderState(D3DRS_TEXTUREFACTOR, c.factor);
      fullScreen();
      EXPECT_EQ(pixels()[0], c.expected) << std::hex << c.factor << " op " << op;
    }
  }
}

TEST_F(RasterTest, AlphaReadingAMissingTextureReadsOpaqueWhite) {
  // No texture bound: the colour comes from the diffuse, the texture
  // argument of alpha reads 255 and takes part in the operation.
  const DWORD diffuse = 0x40FF8000u;
  target(2, 2);
  device->SetTexture(0, nullptr);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  struct Case {
    DWORD op, arg1, arg2, factor, alpha;
  };
  const Case cases[] = {
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFFFFFFu, 0xFF},
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0x00000000u, 0xFF},
      {D3DTOP_MODULATE, D3DTA_TFACTOR, D3DTA_TEXTURE, 0x80FFFFFFu, 0x80},
      {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, 0xFFFFFFFFu, 0x40},
      {D3DTOP_SELECTARG1, D3DTA_TEXTURE | D3DTA_COMPLEMENT, D3DTA_DIFFUSE, 0xFFFFFFFFu, 0x00},
  };
  for (const Case& c : cases) {
    device->SetRenderState(D3DRS_TEXTUREFACTOR, c.factor);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, c.op);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, c.arg1);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, c.arg2);
    fullScreen(diffuse);
    EXPECT_EQ(pixels()[0], (c.alpha << 24) | (diffuse & 0xFFFFFFu))
        << std::hex << c.op << " " << c.arg1 << " factor " << c.factor;
  }
}

TEST_F(RasterTest, TextureFactorAlphaAsTheWarpGridUsesIt) {
  target(2, 2);
  IDirect3DTexture9* t = texture(1, 1, {0xFFC86400u});
  device->SetTexture(0, t);
  device->SetTexture(1, t);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 128u << 24);
  warpGridStages();
  device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
  fullScreen();
  // alpha 128 x 255 -> 128; colour x 128/255 onto black: 200 -> 100.4, 100 -> 50.2;
  // the stored alpha: 128 x 128/255 + 0 = 64.25
  EXPECT_EQ(pixels()[0], 0x40643200u);
}

TEST_F(RasterTest, LightingLeavesBlackAndTheVertexAlpha) {
  target(2, 2);
  selectStage0(D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  fullScreen(0x99123456u);
  EXPECT_EQ(pixels()[0], 0x99000000u);
  device->SetRenderState(D3DRS_LIGHTING, FALSE);
  fullScreen(0x99123456u);
  EXPECT_EQ(pixels()[0], 0x99123456u);
  // Without a vertex colour: white unlit, all zero lit (material alpha 0).
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(80, 0, 0x102, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  float* f;
  vb->Lock(0, 0, reinterpret_cast<void**>(&f), 0);
  const float v[20] = {-1, 1, 0.5f, 0, 0, 1, 1, 0.5f, 1, 0, 1, -1, 0.5f, 1, 1, -1, -1, 0.5f, 0, 1};
  std::memcpy(f, v, sizeof v);
  vb->Unlock();
  device->SetFVF(0x102);
  device->SetStreamSource(0, vb, 0, 20);
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  EXPECT_EQ(pixels()[0], 0xFFFFFFFFu);
  device->SetRenderState(D3DRS_LIGHTING, TRUE);
  device->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  EXPECT_EQ(pixels()[0], 0x00000000u);
  device->SetStreamSource(0, nullptr, 0, 0);
  vb->Release();
}

TEST_F(RasterTest, EveryBlendFactorClampedAndRounded) {
  const DWORD src = 0x80C04020u, dst = 0x40206080u;
  const DWORD factors[] = {D3DBLEND_ZERO,        D3DBLEND_ONE,          D3DBLEND_SRCCOLOR,
                           D3DBLEND_INVSRCCOLOR, D3DBLEND_SRCALPHA,     D3DBLEND_INVSRCALPHA,
                           D3DBLEND_DESTALPHA,   D3DBLEND_INVDESTALPHA, D3DBLEND_DESTCOLOR,
                           D3DBLEND_INVDESTCOLOR};
  auto f = [&](DWORD blend, int shift) -> double {
    const double s = (src >> shift) & 255, d = (dst >> shift) & 255;
    const double sa = src >> 24, da = dst >> 24;
    switch (blend) {
      case D3DBLEND_ZERO:
        return 0;
      case D3DBLEND_ONE:
        return 255;
      case D3DBLEND_SRCCOLOR:
        return s;
      case D3DBLEND_INVSRCCOLOR:
        return 255 - s;
      case D3DBLEND_SRCALPHA:
        return sa;
      case D3DBLEND_INVSRCALPHA:
        return 255 - sa;
      case D3DBLEND_DESTALPHA:
        return da;
      case D3DBLEND_INVDESTALPHA:
        return 255 - da;
      case D3DBLEND_DESTCOLOR:
        return d;
      default:
        return 255 - d;
    }
  };
  target(2, 2, dst);
  selectStage0(D3DTA_DIFFUSE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
  for (DWORD sf : factors) {
    for (DWORD df : factors) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET, dst, 1.0f, 0);
      device->SetRenderState(D3DRS_SRCBLEND, sf);
      device->SetRenderState(D3DRS_DESTBLEND, df);
      fullScreen(src);
      DWORD expected = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        const double s = (src >> shift) & 255, d = (dst >> shift) & 255;
        const double value = std::min(255.0, (s * f(sf, shift) + d * f(df, shift)) / 255.0);
        expected |= static_cast<DWORD>(std::floor(value + 0.5)) << shift;
      }
      ASSERT_EQ(pixels()[0], expected) << "src " << sf << " dest " << df;
    }
  }
  // Rounding at the half: 1 x 127/255 = 0.498 -> 0, 1 x 128/255 = 0.502 -> 1.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
  fullScreen(0x7F010101u);
  EXPECT_EQ(pixels()[0] & 0xFFFFFFu, 0u);
  fullScreen(0x80010101u);
  EXPECT_EQ(pixels()[0] & 0xFFFFFFu, 0x010101u);
}

}  // namespace
