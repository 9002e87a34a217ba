// The show's frame cost on the software device: one frame of the text scene
// drawn through the show's own objects (the same calls main's loop makes),
// and a full-screen bilinear quad at growing sizes, whose cost per pixel
// must stay flat as the pixel count grows.
//
// The show's globals (window, device, registry, frame target) are built
// during static initialisation, before main: run with VORKAST_VIDEO=none in
// the environment so that no window is opened. The pictures are read from
// data/ below the working folder, or below the build folder if the working
// folder has none.
#include <benchmark/benchmark.h>
#include <d3d9.h>
#include <d3d9_port.h>
#include <port_env.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/demo_timeline.h"
#include "core/globals.h"
#include "core/show_textures.h"
#include "effects/screen_quad.h"
#include "effects/warp_grid.h"
#include "effects/zoom_blur.h"
#include "platform/d3dwindow.h"
#include "resources/render_to_texture.h"
#include "resources/texture.h"
#include "resources/texture_registry.h"

namespace {

// Fragments one text-scene frame draws, when every draw covers its target:
// grid, blur result, overlay, caption grid and two pictures at 512 x 512;
// two copies and eight passes at 256 x 256; the stretch to 640 x 480. The
// llvmpipe comparison program counts the same.
constexpr double kTextFramePixels = 512.0 * 512 * 6 + 256.0 * 256 * 10 + 640.0 * 480;

// A frame of the text scene lasts 1/60 s of music; the frames walk through
// the scene's window so that every caption and overlay takes its turn.
constexpr float kTextSceneStart = 30.5f;
constexpr int kTextSceneFrames = 2880;  // 48 s, ends before 79 s

struct ShowObjects {
  ShowTextures textures;
  std::unique_ptr<WarpGrid> warpGrid;
  std::unique_ptr<ZoomBlur> zoomBlur;
  std::unique_ptr<DemoTimeline> timeline;
};

ShowObjects& show() {
  static ShowObjects* objects = [] {
    auto* o = new ShowObjects;
    o->textures = registerShowTextures(g_textureRegistry);
    o->warpGrid = std::make_unique<WarpGrid>();
    o->zoomBlur = std::make_unique<ZoomBlur>();
    o->timeline = std::make_unique<DemoTimeline>(o->textures, g_screenQuad, g_renderToTexture,
                                                 *o->warpGrid, *o->zoomBlur);
    return o;
  }();
  return *objects;
}

// Every picture the text scene draws must have loaded: a missing one would
// make its draw a no-op and the figure a flattering one.
bool textScenePicturesLoaded(const ShowTextures& t) {
  const Texture* const used[] = {t.texYellowFrame2,  t.texLort,         t.texCuffercup,
                                 t.texText01,        t.texText02,       t.texText03,
                                 t.texText04,        t.texText05,       t.texText06,
                                 t.texTextOverlay01, t.texTextOverlay02};
  for (const Texture* texture : used) {
    if (texture == nullptr || texture->texture == nullptr) return false;
  }
  return g_renderToTexture.target.surface != nullptr;
}

void BM_TextSceneFrame(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  ShowObjects& s = show();
  if (!textScenePicturesLoaded(s.textures)) {
    state.SkipWithError("the text scene's pictures did not load (data/textures missing?)");
    return;
  }
  // s0 above the overlay threshold flips the overlay every frame, as loud
  // passages of the music do; the caption shift follows s0 and s1.
  float spectrum[256] = {};
  spectrum[0] = 0.5f;
  spectrum[1] = 0.3f;
  int frame = 0;
  for (auto _ : state) {
    const float t = kTextSceneStart + static_cast<float>(frame % kTextSceneFrames) / 60.0f;
    g_renderToTexture.beginFrame();
    s.timeline->textScene(t, spectrum);
    g_renderToTexture.endFrame();
    ++frame;
  }
  state.counters["fps"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["pixels/s"] =
      benchmark::Counter(kTextFramePixels, benchmark::Counter::kIsIterationInvariantRate);
  d3d9port::setThreadCount(0);
}

// A one-level picture of the target's size, so the quad maps texel to pixel
// with bilinear filtering and no mip level to choose.
IDirect3DTexture9* makePicture(UINT size) {
  IDirect3DTexture9* picture = nullptr;
  if (FAILED(g_device->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &picture,
                                     nullptr))) {
    return nullptr;
  }
  D3DLOCKED_RECT locked;
  if (FAILED(picture->LockRect(0, &locked, nullptr, 0))) {
    picture->Release();
    return nullptr;
  }
  for (UINT y = 0; y < size; ++y) {
    auto* row = reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
    for (UINT x = 0; x < size; ++x) row[x] = (x * 2654435761u) ^ (y * 40503u) ^ 0xFF000000u;
  }
  picture->UnlockRect(0);
  return picture;
}

void BM_FullScreenBilinearQuad(benchmark::State& state) {
  const int size = static_cast<int>(state.range(0));
  d3d9port::setThreadCount(static_cast<int>(state.range(1)));
  Texture target;
  target.createRenderTarget(size);
  IDirect3DTexture9* picture = makePicture(static_cast<UINT>(size));
  if (target.surface == nullptr || picture == nullptr) {
    state.SkipWithError("could not create the target or the picture");
    if (picture != nullptr) picture->Release();
    return;
  }
  render_to_texture::setTarget(&target);
  g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_device->SetRenderState(D3DRS_LIGHTING, FALSE);
  g_device->SetRenderState(D3DRS_ZENABLE, FALSE);
  g_device->SetRenderState(D3DRS_ALPHABLENDENABLE, FALSE);
  g_device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  g_device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  g_device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  g_device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  g_device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  g_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  g_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  g_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  g_device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
  g_device->SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP);
  const D3DXMATRIX identity = identityMatrix();
  g_device->SetTransform(D3DTS_WORLD, &identity);
  g_device->SetTransform(D3DTS_VIEW, &identity);
  g_device->SetTransform(D3DTS_PROJECTION, &identity);
  g_device->SetTexture(0, picture);
  g_device->BeginScene();
  for (auto _ : state) {
    g_screenQuad.drawQuad();
  }
  g_device->EndScene();
  // A readback waits for every band of the last draw to be written.
  UINT w = 0;
  UINT h = 0;
  benchmark::DoNotOptimize(d3d9port::readPixels(target.surface, &w, &h));

  const double pixels = static_cast<double>(size) * size;
  state.counters["pixels/s"] =
      benchmark::Counter(pixels, benchmark::Counter::kIsIterationInvariantRate);
  // Seconds per pixel: flat across the sizes when the cost scales with area.
  state.counters["s/pixel"] = benchmark::Counter(
      pixels, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);

  g_device->SetTexture(0, nullptr);
  g_device->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  if (g_renderToTexture.backBuffer != nullptr) {
    g_device->SetRenderTarget(0, g_renderToTexture.backBuffer);
  }
  picture->Release();
  d3d9port::setThreadCount(0);
}

BENCHMARK(BM_TextSceneFrame)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullScreenBilinearQuad)
    ->ArgNames({"size", "threads"})
    ->ArgsProduct({{512, 1024, 2048}, {1, 2}})
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// The pictures are loaded relative to the working folder, as the show does.
void findDataFolder() {
  if (access("data/textures", F_OK) == 0) return;
  if (chdir(VORKAST_BINARY_DIR) != 0 || access("data/textures", F_OK) != 0) {
    std::fprintf(stderr, "show_bench: no data/textures here or in %s (build the assets target)\n",
                 VORKAST_BINARY_DIR);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (port::environment().video != port::VideoMode::None) {
    std::fprintf(stderr,
                 "show_bench: run with VORKAST_VIDEO=none (the window is made before "
                 "main)\n");
    return 2;
  }
  if (g_device == nullptr) {
    std::fprintf(stderr, "show_bench: the show's device was not created\n");
    return 1;
  }
  findDataFolder();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 2;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
