// The fast pipeline against the reference one: random triangles drawn with
// the states the show draws with (and random others) must leave the same
// bits through both, with one thread and with several.
#include <cmath>
#include <limits>
#include <random>

#include "draw_helpers.h"
#include "span_sampler.h"

namespace {

struct Stage {
  DWORD colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2;
};

struct Draw {
  std::vector<QuadVertex> vertices;  // a triangle list
  Stage stages[2];
  int texture[2];  // index into the scene's textures, -1 for none
  DWORD mag, min, mip, addressU, addressV;
  bool transform;
  D3DMATRIX matrix;
  bool blend, lighting;
  DWORD srcBlend, destBlend, factor, writeMask;
};

class Random {
 public:
  explicit Random(unsigned seed) : engine_(seed) {}
  int below(int n) { return static_cast<int>(engine_() % static_cast<unsigned>(n)); }
  float uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(engine_() % 1000001u) / 1000000.0f;
  }
  DWORD word() { return static_cast<DWORD>(engine_()); }
  template <class T>
  T pick(std::initializer_list<T> items) {
    return items.begin()[below(static_cast<int>(items.size()))];
  }

 private:
  std::mt19937 engine_;
};

DWORD randomArg(Random& r) {
  DWORD arg = r.pick<DWORD>({D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTA_CURRENT, D3DTA_TFACTOR});
  if (r.below(4) == 0) arg |= D3DTA_COMPLEMENT;
  if (r.below(4) == 0) arg |= D3DTA_ALPHAREPLICATE;
  return arg;
}

// The stage set-ups of the show's draws, and random ones.
void randomStages(Random& r, Draw* d) {
  const Stage off = {D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT,
                     D3DTOP_DISABLE, D3DTA_TEXTURE, D3DTA_CURRENT};
  const Stage replace = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE,
                         D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE};
  d->stages[1] = off;
  d->texture[1] = -1;
  switch (r.below(6)) {
    case 0:
      d->stages[0] = replace;
      break;
    case 1:  // texture colour, diffuse alpha
      d->stages[0] = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE,
                      D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE};
      break;
    case 2:  // the lit diffuse at stage 0, the texture at stage 1 with TFACTOR-modulated alpha
      d->stages[0] = {D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_TEXTURE,
                      D3DTOP_SELECTARG1, D3DTA_CURRENT, D3DTA_CURRENT};
      d->stages[1] = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE,
                      D3DTOP_MODULATE,   D3DTA_TFACTOR, D3DTA_TEXTURE};
      d->texture[1] = 0;
      break;
    case 3:
      d->stages[0] = {D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE,
                      D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE};
      break;
    default:
      for (Stage& s : d->stages) {
        s.colorOp = r.pick<DWORD>({D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE,
                                   D3DTOP_MODULATE2X, D3DTOP_MODULATE4X, D3DTOP_ADD});
        s.alphaOp =
            r.pick<DWORD>({D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE, D3DTOP_MODULATE2X,
                           D3DTOP_MODULATE4X, D3DTOP_ADD, D3DTOP_DISABLE});
        s.colorArg1 = randomArg(r);
        s.colorArg2 = randomArg(r);
        s.alphaArg1 = randomArg(r);
        s.alphaArg2 = randomArg(r);
      }
      d->texture[1] = r.below(3) - 1;
      break;
  }
}

Draw randomDraw(Random& r, int textures) {
  Draw d{};
  const int triangles = 1 + r.below(6);
  const bool flat = r.below(2) == 0;
  const DWORD colour = r.word();
  const float spread = r.pick<float>({0.1f, 0.5f, 1.5f});
  // Now and then coordinates far out, whose 16.16 texel values leave 32 bits.
  const float far = r.below(8) == 0 ? r.pick<float>({-40000.0f, 40000.0f}) : 0.0f;
  for (int i = 0; i < 3 * triangles; ++i) {
    QuadVertex v;
    v.x = r.uniform(-spread, spread) + (i % 3 == 0 ? r.uniform(-0.8f, 0.8f) : 0.0f);
    v.y = r.uniform(-spread, spread);
    v.z = 0.5f;
    v.diffuse = flat ? colour : r.word();
    v.u = far + r.uniform(-1.5f, 2.5f);
    v.v = r.uniform(-1.5f, 2.5f);
    d.vertices.push_back(v);
  }
  randomStages(r, &d);
  d.texture[0] = r.below(textures);
  if (d.texture[1] >= 0) d.texture[1] = r.below(textures);
  d.mag = r.pick<DWORD>({D3DTEXF_POINT, D3DTEXF_LINEAR});
  d.min = r.pick<DWORD>({D3DTEXF_POINT, D3DTEXF_LINEAR});
  d.mip = r.pick<DWORD>({D3DTEXF_NONE, D3DTEXF_POINT, D3DTEXF_LINEAR});
  d.addressU = r.pick<DWORD>({D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP});
  d.addressV = r.pick<DWORD>({D3DTADDRESS_WRAP, D3DTADDRESS_CLAMP});
  d.transform = r.below(3) == 0;
  d.matrix = {};
  const float angle = r.uniform(0.0f, 6.3f), scale = r.uniform(0.2f, 3.0f);
  d.matrix._11 = scale * std::cos(angle);
  d.matrix._12 = scale * std::sin(angle);
  d.matrix._21 = -scale * std::sin(angle);
  d.matrix._22 = scale * std::cos(angle);
  d.matrix._31 = r.uniform(-1.0f, 1.0f);
  d.matrix._32 = r.uniform(-1.0f, 1.0f);
  d.matrix._33 = d.matrix._44 = 1.0f;
  d.lighting = r.below(4) == 0;
  d.blend = r.below(5) != 0;
  const DWORD pairs[][2] = {
      {D3DBLEND_ONE, D3DBLEND_ONE},           {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
      {D3DBLEND_ONE, D3DBLEND_ZERO},          {D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR},
      {D3DBLEND_SRCALPHA, D3DBLEND_SRCALPHA}, {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
      {D3DBLEND_ZERO, D3DBLEND_ONE}};
  const int pair = r.below(9);
  if (pair < 7) {
    d.srcBlend = pairs[pair][0];
    d.destBlend = pairs[pair][1];
  } else {  // any pair, including factors this device does not have
    d.srcBlend = 1 + static_cast<DWORD>(r.below(12));
    d.destBlend = 1 + static_cast<DWORD>(r.below(12));
  }
  d.factor = r.word();
  d.writeMask = r.below(5) == 0 ? static_cast<DWORD>(r.below(16)) : 15u;
  return d;
}

class FastPathTest : public DrawTest {
 protected:
  void TearDown() override {
    d3d9port::setReferencePipeline(false);
    d3d9port::setWideVectors(true);
    DrawTest::TearDown();
  }

  void makeTextures(Random& r) {
    struct Shape {
      UINT w, h, levels;
      D3DFORMAT format;
    };
    const Shape shapes[] = {{64, 64, 0, D3DFMT_A8R8G8B8}, {16, 32, 0, D3DFMT_A8R8G8B8},
                            {13, 7, 1, D3DFMT_A8R8G8B8},  {32, 8, 0, D3DFMT_X8R8G8B8},
                            {1, 1, 1, D3DFMT_A8R8G8B8},   {24, 24, 0, D3DFMT_A8L8},
                            {16, 8, 0, D3DFMT_L8},        {8, 8, 1, D3DFMT_R3G3B2}};
    for (const Shape& s : shapes) {
      IDirect3DTexture9* t = nullptr;
      ASSERT_EQ(
          device->CreateTexture(s.w, s.h, s.levels, 0, s.format, D3DPOOL_MANAGED, &t, nullptr),
          D3D_OK);
      textures.push_back(t);
      for (UINT level = 0; level < t->GetLevelCount(); ++level) {
        D3DSURFACE_DESC desc;
        t->GetLevelDesc(level, &desc);
        std::vector<DWORD> texels(std::size_t{desc.Width} * desc.Height);
        // Mostly smooth, with some noise and some fully transparent or opaque texels.
        for (std::size_t i = 0; i < texels.size(); ++i) {
          const int kind = r.below(8);
          texels[i] = kind == 0 ? 0u : (kind == 1 ? 0xFFFFFFFFu : r.word());
        }
        fillTexture(t, level, texels);
      }
    }
  }

  void apply(const Draw& d) {
    for (DWORD s = 0; s < 2; ++s) {
      const Stage& st = d.stages[s];
      device->SetTextureStageState(s, D3DTSS_COLOROP, st.colorOp);
      device->SetTextureStageState(s, D3DTSS_COLORARG1, st.colorArg1);
      device->SetTextureStageState(s, D3DTSS_COLORARG2, st.colorArg2);
      device->SetTextureStageState(s, D3DTSS_ALPHAOP, st.alphaOp);
      device->SetTextureStageState(s, D3DTSS_ALPHAARG1, st.alphaArg1);
      device->SetTextureStageState(s, D3DTSS_ALPHAARG2, st.alphaArg2);
      device->SetTexture(
          s, d.texture[s] >= 0 ? textures[static_cast<std::size_t>(d.texture[s])] : nullptr);
      device->SetSamplerState(s, D3DSAMP_MAGFILTER, d.mag);
      device->SetSamplerState(s, D3DSAMP_MINFILTER, d.min);
      device->SetSamplerState(s, D3DSAMP_MIPFILTER, d.mip);
      device->SetSamplerState(s, D3DSAMP_ADDRESSU, d.addressU);
      device->SetSamplerState(s, D3DSAMP_ADDRESSV, d.addressV);
      device->SetTextureStageState(s, D3DTSS_TEXTURETRANSFORMFLAGS,
                                   d.transform ? D3DTTFF_COUNT2 : D3DTTFF_DISABLE);
      device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + s), &d.matrix);
    }
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_LIGHTING, d.lighting);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, d.blend);
    device->SetRenderState(D3DRS_SRCBLEND, d.srcBlend);
    device->SetRenderState(D3DRS_DESTBLEND, d.destBlend);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, d.factor);
    device->SetRenderState(D3DRS_COLORWRITEENABLE, d.writeMask);
  }

  // The picture left by the draws, from the same starting picture.
  std::vector<std::uint32_t> render(const std::vector<Draw>& draws, bool reference, int threads) {
    d3d9port::setReferencePipeline(reference);
    d3d9port::setThreadCount(threads);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x80402010u, 1.0f, 0);
    for (const Draw& d : draws) {
      apply(d);
      draw(D3DPT_TRIANGLELIST, d.vertices, static_cast<UINT>(d.vertices.size() / 3));
    }
    return pixels();
  }
};

TEST_F(FastPathTest, RandomDrawsGiveTheReferenceBits) {
  target(157, 93);  // several chunks to a row, and rows with ragged ends
  Random r(20240611);
  makeTextures(r);
  for (int scene = 0; scene < 60; ++scene) {
    std::vector<Draw> draws;
    for (int i = 0; i < 12; ++i) draws.push_back(randomDraw(r, static_cast<int>(textures.size())));
    const std::vector<std::uint32_t> expected = render(draws, true, 1);
    ASSERT_EQ(render(draws, false, 1), expected) << "scene " << scene;
    ASSERT_EQ(render(draws, false, 2), expected) << "scene " << scene << ", two threads";
    // Where the CPU has 256-bit vectors the runs above used them; the
    // 128-bit filters must agree as well.
    d3d9port::setWideVectors(false);
    ASSERT_EQ(render(draws, false, 1), expected) << "scene " << scene << ", SSE2 only";
    d3d9port::setWideVectors(true);
  }
}

TEST_F(FastPathTest, FullScreenPassesOfTheShowGiveTheReferenceBits) {
  // Large draws, split over threads: the stretch, the zoom blur's passes, the add.
  target(320, 240);
  Random r(7);
  makeTextures(r);
  std::vector<Draw> draws;
  const DWORD pairs[][2] = {{D3DBLEND_ONE, D3DBLEND_ZERO},
                            {D3DBLEND_SRCALPHA, D3DBLEND_SRCALPHA},
                            {D3DBLEND_ONE, D3DBLEND_ONE},
                            {D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR},
                            {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA}};
  for (const auto& pair : pairs) {
    Draw d = randomDraw(r, static_cast<int>(textures.size()));
    const float grow = r.uniform(1.0f, 1.3f), u0 = 0.5f - 0.5f / grow, u1 = 0.5f + 0.5f / grow;
    d.vertices = {{-1, 1, 0.5f, 0x80FFFFFFu, u0, u0}, {1, 1, 0.5f, 0x80FFFFFFu, u1, u0},
                  {1, -1, 0.5f, 0x80FFFFFFu, u1, u1}, {-1, 1, 0.5f, 0x80FFFFFFu, u0, u0},
                  {1, -1, 0.5f, 0x80FFFFFFu, u1, u1}, {-1, -1, 0.5f, 0x80FFFFFFu, u0, u1}};
    d.stages[0] = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE,
                   D3DTOP_SELECTARG1, D3DTA_DIFFUSE, D3DTA_DIFFUSE};
    d.stages[1].colorOp = D3DTOP_DISABLE;
    d.texture[0] = 0;
    d.blend = true;
    d.srcBlend = pair[0];
    d.destBlend = pair[1];
    d.mag = d.min = D3DTEXF_LINEAR;
    d.writeMask = 15;
    d.lighting = false;
    d.transform = false;
    draws.push_back(d);
  }
  const std::vector<std::uint32_t> expected = render(draws, true, 1);
  EXPECT_EQ(render(draws, false, 1), expected);
  EXPECT_EQ(render(draws, false, 3), expected);
  d3d9port::setWideVectors(false);
  EXPECT_EQ(render(draws, false, 3), expected) << "SSE2 only";
}

TEST_F(FastPathTest, OneTexelRowRunsAcrossWrapSeamsAndClampedEdges) {
  // Quads whose rows keep to one texel row, each pixel at most two texels
  // on from the last (magnified, and down to a 2:1 copy's halving): the
  // 256-bit filter reads such runs from whole rows of texels, except where
  // a vector's texels wrap round or are clamped.
  const UINT width = 157;
  target(width, 61);
  Random r(31);
  makeTextures(r);
  std::vector<Draw> draws;
  for (int i = 0; i < 48; ++i) {
    Draw d = randomDraw(r, static_cast<int>(textures.size()));
    // Half of them on the widest texture, whose rows have room for whole
    // vectors' texels between the seams.
    if (i % 2 == 0) d.texture[0] = 0;
    D3DSURFACE_DESC desc;
    textures[static_cast<std::size_t>(d.texture[0])]->GetLevelDesc(0, &desc);
    const float x0 = r.uniform(-1.2f, 0.2f), x1 = r.uniform(x0 + 0.3f, 1.2f);
    const float y0 = r.uniform(-1.2f, 0.0f), y1 = r.uniform(0.1f, 1.2f);
    const float pixels = (x1 - x0) * 0.5f * static_cast<float>(width);
    // One quad in four as close to a texel a pixel as the floats allow, one
    // in four to two texels a pixel; those sample the first level, as a
    // render target without levels below it is.
    const int kind = static_cast<int>(r.below(4));
    const float ratio =
        kind == 0 ? 1.0f : (kind == 1 ? 2.0f : r.uniform(0.05f, kind == 2 ? 1.0f : 2.0f));
    const float texels = pixels * ratio;
    const float u0 = r.uniform(-2.0f, 2.0f), u1 = u0 + texels / static_cast<float>(desc.Width);
    const float v0 = r.uniform(-1.5f, 2.5f), v1 = r.uniform(-1.5f, 2.5f);
    const DWORD c = r.word();
    d.vertices = {{x0, y1, 0.5f, c, u0, v0}, {x1, y1, 0.5f, c, u1, v0}, {x1, y0, 0.5f, c, u1, v1},
                  {x0, y1, 0.5f, c, u0, v0}, {x1, y0, 0.5f, c, u1, v1}, {x0, y0, 0.5f, c, u0, v1}};
    d.stages[0] = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE,
                   D3DTOP_MODULATE,   D3DTA_TEXTURE, D3DTA_DIFFUSE};
    d.stages[1].colorOp = D3DTOP_DISABLE;
    d.mag = d.min = D3DTEXF_LINEAR;
    if (ratio > 1.0f) d.mip = D3DTEXF_NONE;
    d.transform = false;
    draws.push_back(d);
  }
  // Each quad on its own: a later one would cover an earlier one's faults.
  for (std::size_t i = 0; i < draws.size(); ++i) {
    const std::vector<std::uint32_t> expected = render({draws[i]}, true, 1);
    EXPECT_EQ(render({draws[i]}, false, 1), expected) << "quad " << i;
    EXPECT_EQ(render({draws[i]}, false, 2), expected) << "quad " << i << ", two threads";
    d3d9port::setWideVectors(false);
    EXPECT_EQ(render({draws[i]}, false, 1), expected) << "quad " << i << ", SSE2 only";
    d3d9port::setWideVectors(true);
  }
}

TEST_F(FastPathTest, TexelForPixelQuadsGiveTheReferenceBits) {
  // Quads drawn a texel to a pixel, as the show's screen quads are: the
  // weights stay the same along a row, and at offsets of nothing or half a
  // texel the filter comes down to copies and averages. Across wrap seams
  // and clamped edges too, and on a texture too narrow for a vector.
  const UINT width = 100, height = 24;
  target(width, height);
  Random r(5);
  makeTextures(r);
  int count = 0;
  for (const int texture : {0, 3, 5}) {
    D3DSURFACE_DESC desc;
    textures[static_cast<std::size_t>(texture)]->GetLevelDesc(0, &desc);
    const float w = static_cast<float>(desc.Width), h = static_cast<float>(desc.Height);
    for (const float fu : {0.0f, 0.5f, 0.25f, 0.625f}) {
      for (const float fv : {0.0f, 0.5f, 0.75f}) {
        for (const float shift : {0.0f, -37.0f, 5.0f}) {
          Draw d = randomDraw(r, static_cast<int>(textures.size()));
          d.texture[0] = texture;
          const float u0 = (shift + fu) / w, u1 = u0 + static_cast<float>(width) / w;
          const float v0 = (shift + fv) / h, v1 = v0 + static_cast<float>(height) / h;
          const DWORD c = r.word();
          d.vertices = {{-1, 1, 0.5f, c, u0, v0}, {1, 1, 0.5f, c, u1, v0},
                        {1, -1, 0.5f, c, u1, v1}, {-1, 1, 0.5f, c, u0, v0},
                        {1, -1, 0.5f, c, u1, v1}, {-1, -1, 0.5f, c, u0, v1}};
          d.stages[0] = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE,
                         D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE};
          d.stages[1].colorOp = D3DTOP_DISABLE;
          d.mag = d.min = D3DTEXF_LINEAR;
          d.mip = D3DTEXF_NONE;
          d.addressU = d.addressV = (count++ % 2 == 0) ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
          d.transform = false;
          const std::vector<std::uint32_t> expected = render({d}, true, 1);
          EXPECT_EQ(render({d}, false, 1), expected) << "quad " << count;
          EXPECT_EQ(render({d}, false, 2), expected) << "quad " << count << ", two threads";
          d3d9port::setWideVectors(false);
          EXPECT_EQ(render({d}, false, 1), expected) << "quad " << count << ", SSE2 only";
          d3d9port::setWideVectors(true);
        }
      }
    }
  }
}

TEST_F(FastPathTest, NarrowTexturesAreReadAfreshAfterEachLock) {
  // The fast path reads 32-bit copies of the narrow formats: a lock must
  // make the next draw see the new texels.
  target(64, 64);
  Random r(99);
  makeTextures(r);
  Draw d = randomDraw(r, static_cast<int>(textures.size()));
  d.stages[0] = {D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE,
                 D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_TEXTURE};
  d.stages[1].colorOp = D3DTOP_DISABLE;
  d.blend = false;
  d.writeMask = 15;
  d.vertices = {{-1, 1, 0.5f, 0xFFFFFFFFu, 0, 0}, {1, 1, 0.5f, 0xFFFFFFFFu, 1, 0},
                {1, -1, 0.5f, 0xFFFFFFFFu, 1, 1}, {-1, 1, 0.5f, 0xFFFFFFFFu, 0, 0},
                {1, -1, 0.5f, 0xFFFFFFFFu, 1, 1}, {-1, -1, 0.5f, 0xFFFFFFFFu, 0, 1}};
  for (std::size_t i = 0; i < textures.size(); ++i) {
    D3DSURFACE_DESC desc;
    textures[i]->GetLevelDesc(0, &desc);
    if (desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8) continue;
    d.texture[0] = static_cast<int>(i);
    const std::vector<std::uint32_t> before = render({d}, false, 1);
    EXPECT_EQ(before, render({d}, true, 1)) << "format " << desc.Format;
    for (UINT level = 0; level < textures[i]->GetLevelCount(); ++level) {
      textures[i]->GetLevelDesc(level, &desc);
      fillTexture(textures[i], level,
                  std::vector<DWORD>(std::size_t{desc.Width} * desc.Height, 0x5A3C1E96u));
    }
    const std::vector<std::uint32_t> after = render({d}, false, 1);
    EXPECT_NE(after, before) << "format " << desc.Format;
    EXPECT_EQ(after, render({d}, true, 1)) << "format " << desc.Format;
  }
}

TEST(RoundToInt64, MatchesTheLibraryOnHalvesAndNeighbours) {
  const double big = std::ldexp(1.0, 52);
  const double values[] = {0.0,
                           -0.0,
                           0.5,
                           -0.5,
                           1.5,
                           -1.5,
                           2.5,
                           -2.5,
                           0.49999999999999994,
                           -0.49999999999999994,
                           big - 0.5,
                           big + 1.0,
                           -big + 0.5,
                           1e18,
                           -1e18,
                           3e18 + 0.5,
                           1e19,
                           -1e19};
  for (double v : values) {
    EXPECT_EQ(d3d9impl::roundToInt64(v), std::llround(v)) << v;
    EXPECT_EQ(d3d9impl::roundToInt64(std::nextafter(v, 1e300)),
              std::llround(std::nextafter(v, 1e300)))
        << v;
    EXPECT_EQ(d3d9impl::roundToInt64(std::nextafter(v, -1e300)),
              std::llround(std::nextafter(v, -1e300)))
        << v;
  }
  std::mt19937_64 engine(3);
  for (int i = 0; i < 100000; ++i) {
    const double v = static_cast<double>(static_cast<std::int64_t>(engine() >> 20)) / 65536.0 / 2.0;
    ASSERT_EQ(d3d9impl::roundToInt64(v), std::llround(v)) << v;
    ASSERT_EQ(d3d9impl::roundToInt64(-v), std::llround(-v)) << v;
  }
}

}  // namespace
