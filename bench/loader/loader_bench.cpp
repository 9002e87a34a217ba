// Where the pictures' share of start-up goes, piece by piece. The show's
// files are read from the build folder's data/ (the assets target).
#include <bass.h>
#include <benchmark/benchmark.h>
#include <d3d9.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "core/show_pictures.h"
#include "d3dx_texture.h"
#include "image_pyramid.h"
#include "picture_prefetch.h"
#include "prepared_picture.h"

namespace {

std::vector<std::string> showPicturePaths() {
  std::vector<std::string> paths;
  for (const std::string& name : showPictureNames()) paths.push_back("data/textures/" + name);
  return paths;
}

bool inBuildFolder() { return chdir(VORKAST_BINARY_DIR) == 0; }

std::vector<std::uint8_t> randomRgba(std::uint32_t w, std::uint32_t h) {
  std::mt19937 rng(1);
  std::vector<std::uint8_t> pixels(std::size_t{w} * h * 4);
  for (auto& b : pixels) b = static_cast<std::uint8_t>(rng());
  return pixels;
}

// Args: image width, height; the target is the next powers of two.
template <bool kExact>
void BM_Stretch(benchmark::State& state) {
  const auto w = static_cast<std::uint32_t>(state.range(0));
  const auto h = static_cast<std::uint32_t>(state.range(1));
  const auto pixels = randomRgba(w, h);
  const std::uint32_t outW = imageload::powerOfTwoAtLeast(w);
  const std::uint32_t outH = imageload::powerOfTwoAtLeast(h);
  imageload::RgbaImage out;
  for (auto _ : state) {
    const bool ok = kExact ? imageload::stretch(pixels.data(), w, h, outW, outH, out)
                           : imageload::stretchReference(pixels.data(), w, h, outW, outH, out);
    if (!ok) state.SkipWithError("stretch failed");
    benchmark::DoNotOptimize(out.pixels.data());
  }
  state.counters["Mtexels/s"] = benchmark::Counter(static_cast<double>(outW) * outH,
                                                   benchmark::Counter::kIsIterationInvariantRate,
                                                   benchmark::Counter::kIs1000);
}
BENCHMARK_TEMPLATE(BM_Stretch, false)
    ->Name("BM_StretchStb")
    ->Args({640, 480})
    ->Args({320, 240})
    ->Args({64, 48})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_Stretch, true)
    ->Name("BM_StretchExact")
    ->Args({640, 480})
    ->Args({320, 240})
    ->Args({64, 48})
    ->Unit(benchmark::kMillisecond);

void BM_HalveChain1024x512(benchmark::State& state) {
  imageload::RgbaImage top;
  top.width = 1024;
  top.height = 512;
  top.pixels = randomRgba(1024, 512);
  for (auto _ : state) {
    imageload::RgbaImage level = top;
    while (level.width > 1 || level.height > 1) level = imageload::halve(level);
    benchmark::DoNotOptimize(level.pixels.data());
  }
}
BENCHMARK(BM_HalveChain1024x512)->Unit(benchmark::kMillisecond);

// Read, decode, stretch, chain and texels of the twenty, on this thread.
void BM_PrepareShowPictures(benchmark::State& state) {
  if (!inBuildFolder()) return state.SkipWithError("no build folder");
  const auto paths = showPicturePaths();
  for (auto _ : state) {
    for (const std::string& path : paths) {
      const imageload::PreparedPicture picture = imageload::preparePicture(path.c_str());
      if (FAILED(picture.result)) state.SkipWithError(("cannot load " + path).c_str());
      if (!picture.texels.empty()) benchmark::DoNotOptimize(picture.texels.front().get());
    }
  }
}
BENCHMARK(BM_PrepareShowPictures)->Unit(benchmark::kMillisecond);

class Device {
 public:
  Device() {
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                       &device_);
  }
  ~Device() {
    if (device_ != nullptr) device_->Release();
    if (d3d_ != nullptr) d3d_->Release();
  }
  IDirect3DDevice9* get() const { return device_; }

 private:
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

// The twenty into textures as the show's start-up does it: one after the
// other on this thread, or taken from a prefetch made just before (the
// worker starts with the prefetch, so its set-up is inside the timing).
template <bool kPrefetch>
void BM_LoadShowPictures(benchmark::State& state) {
  if (!inBuildFolder()) return state.SkipWithError("no build folder");
  Device device;
  if (device.get() == nullptr) return state.SkipWithError("no device");
  const auto paths = showPicturePaths();
  std::vector<IDirect3DTexture9*> textures(paths.size(), nullptr);
  for (auto _ : state) {
    {
      std::optional<PicturePrefetch> prefetch;
      if (kPrefetch) prefetch.emplace(paths);
      for (std::size_t i = 0; i < paths.size(); ++i) {
        if (FAILED(D3DXCreateTextureFromFileA(device.get(), paths[i].c_str(), &textures[i]))) {
          state.SkipWithError(("cannot load " + paths[i]).c_str());
        }
      }
    }
    state.PauseTiming();
    for (IDirect3DTexture9*& texture : textures) {
      if (texture != nullptr) texture->Release();
      texture = nullptr;
    }
    state.ResumeTiming();
  }
}
BENCHMARK_TEMPLATE(BM_LoadShowPictures, false)
    ->Name("BM_LoadShowPicturesInTurn")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_TEMPLATE(BM_LoadShowPictures, true)
    ->Name("BM_LoadShowPicturesPrefetched")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The other half of start-up, beside the pictures: the show's own track
// decoded whole into a stream, as the music player's constructor does.
void BM_CreateShowStream(benchmark::State& state) {
  if (!inBuildFolder()) return state.SkipWithError("no build folder");
  if (!BASS_Init(0, 44100, 0, nullptr, nullptr)) return state.SkipWithError("no audio layer");
  for (auto _ : state) {
    const HSTREAM stream =
        BASS_StreamCreateFile(FALSE, "data/music/Molte_-_VorkastInvtro(1).mp3", 0, 0, 0);
    if (stream == 0) state.SkipWithError("stream creation failed");
    BASS_StreamFree(stream);
  }
  BASS_Free();
}
BENCHMARK(BM_CreateShowStream)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
