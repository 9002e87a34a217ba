// One frame's worth of the text scene's effects on the software device: the
// warped background layer, and the zoom blur of the 512 x 512 frame. Run
// headless (VORKAST_VIDEO=none); arg = drawing threads.
#include <benchmark/benchmark.h>
#include <d3d9.h>
#include <d3d9_port.h>

#include <cmath>

#include "core/globals.h"
#include "effects/warp_grid.h"
#include "effects/zoom_blur.h"
#include "platform/d3dwindow.h"
#include "resources/render_to_texture.h"
#include "resources/texture.h"

namespace {

// A 512 x 512 picture with its full mip chain, as the loader makes them.
void makePicture(Texture& picture) {
  g_device->CreateTexture(512, 512, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &picture.texture,
                          nullptr);
  for (UINT level = 0; level < picture.texture->GetLevelCount(); ++level) {
    D3DSURFACE_DESC desc{};
    D3DLOCKED_RECT locked{};
    picture.texture->GetLevelDesc(level, &desc);
    picture.texture->LockRect(level, &locked, nullptr, 0);
    for (UINT y = 0; y < desc.Height; ++y) {
      auto* row = reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
      for (UINT x = 0; x < desc.Width; ++x) row[x] = 0xFF000000u | (x * 2654435761u ^ y * 40503u);
    }
    picture.texture->UnlockRect(level);
  }
  picture.texture->GetSurfaceLevel(0, &picture.surface);
}

// The first half of the text scene's frame: the background layer.
void textSceneWarps(WarpGrid& grid, float t) {
  const float w = std::sin(0.1f * t) + 2.0f;
  grid.resetTexCoords(w, w, 0.0f, 0.0f);
  grid.addDiagonalWaves(0.4f, t);
  grid.setTransform(t, 1.0f, 1.0f, -0.5f, 0.5f);
}

void BM_WarpGridTextSceneWarpsOnly(benchmark::State& state) {
  WarpGrid grid;
  float t = 40.0f;
  for (auto _ : state) {
    textSceneWarps(grid, t);
    benchmark::DoNotOptimize(grid.vertices);
    benchmark::ClobberMemory();
    t += 1.0f / 60.0f;
  }
}
BENCHMARK(BM_WarpGridTextSceneWarpsOnly);

void BM_WarpGridTextSceneFrame(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  WarpGrid grid;
  Texture picture;
  makePicture(picture);
  g_device->BeginScene();
  g_device->SetRenderTarget(0, g_renderToTexture.target.surface);
  float t = 40.0f;
  for (auto _ : state) {
    textSceneWarps(grid, t);
    grid.draw(&picture);
    t += 1.0f / 60.0f;
  }
  g_device->EndScene();
  picture.release();
}
BENCHMARK(BM_WarpGridTextSceneFrame)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_ZoomBlurTextScene(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  ZoomBlur blur;
  WarpGrid grid;
  Texture picture;
  makePicture(picture);
  Texture& frame = g_renderToTexture.target;
  g_device->BeginScene();
  g_device->SetRenderTarget(0, frame.surface);
  for (auto _ : state) {
    // A fresh frame each time, outside the timing, so that the adds do not
    // saturate it to white over the iterations.
    state.PauseTiming();
    g_device->SetRenderTarget(0, frame.surface);
    textSceneWarps(grid, 40.0f);
    grid.draw(&picture);
    state.ResumeTiming();
    blur.apply(&frame, 10.8f, 0.6f, 8, 0.0f);
  }
  g_device->EndScene();
  picture.release();
}
BENCHMARK(BM_ZoomBlurTextScene)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
