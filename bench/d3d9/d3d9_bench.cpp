// Fill rate of the software device on the show's kinds of draw, with 1 and
// 2 threads. Counter "Mpixels/s": covered pixels drawn per second.
#include <benchmark/benchmark.h>
#include <d3d9.h>
#include <d3d9_port.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

struct Vertex {
  float x, y, z, u, v;
};

class Scene {
 public:
  explicit Scene(UINT targetSize) {
    d3d_ = Direct3DCreate9(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS pp{};
    pp.BackBufferWidth = 640;
    pp.BackBufferHeight = 480;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                       &device_);
    device_->CreateTexture(512, 512, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &picture_, nullptr);
    for (UINT level = 0; level < picture_->GetLevelCount(); ++level) {
      D3DLOCKED_RECT locked;
      D3DSURFACE_DESC desc;
      picture_->GetLevelDesc(level, &desc);
      picture_->LockRect(level, &locked, nullptr, 0);
      for (UINT y = 0; y < desc.Height; ++y) {
        auto* row = reinterpret_cast<DWORD*>(static_cast<char*>(locked.pBits) + y * locked.Pitch);
        for (UINT x = 0; x < desc.Width; ++x)
          row[x] = (x * 2654435761u) ^ (y * 40503u) ^ 0x80000000u;
      }
      picture_->UnlockRect(level);
    }
    if (targetSize > 0) {
      device_->CreateTexture(targetSize, targetSize, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                             D3DPOOL_DEFAULT, &target_, nullptr);
      IDirect3DSurface9* surface = nullptr;
      target_->GetSurfaceLevel(0, &surface);
      device_->SetRenderTarget(0, surface);
      surface->Release();
    }
    device_->SetRenderState(D3DRS_ZENABLE, FALSE);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device_->SetRenderState(D3DRS_LIGHTING, FALSE);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device_->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
    device_->SetTexture(0, picture_);
    device_->CreateVertexBuffer(80, 0, 0x102, D3DPOOL_MANAGED, &quad_, nullptr);
    const Vertex v[4] = {{-1, 1, 1, 0, 0}, {1, 1, 1, 1, 0}, {1, -1, 1, 1, 1}, {-1, -1, 1, 0, 1}};
    void* data;
    quad_->Lock(0, 0, &data, 0);
    std::memcpy(data, v, sizeof v);
    quad_->Unlock();
    device_->BeginScene();
  }
  ~Scene() {
    device_->EndScene();
    device_->SetTexture(0, nullptr);
    device_->SetStreamSource(0, nullptr, 0, 0);
    device_->SetIndices(nullptr);
    IDirect3DSurface9* back = nullptr;
    device_->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    device_->SetRenderTarget(0, back);
    back->Release();
    if (target_) target_->Release();
    if (grid_) grid_->Release();
    if (indices_) indices_->Release();
    quad_->Release();
    picture_->Release();
    device_->Release();
    d3d_->Release();
  }

  void filters(DWORD mip) {
    device_->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    device_->SetSamplerState(0, D3DSAMP_MIPFILTER, mip);
  }
  void blend(bool on) {
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, on);
    device_->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device_->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  }
  void drawQuad() {
    device_->SetFVF(0x102);
    device_->SetStreamSource(0, quad_, 0, 20);
    device_->DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2);
  }
  // The 81 x 61 lattice as one indexed triangle list, texture coordinates warped.
  void buildGrid() {
    const int cols = 81, rows = 61;
    std::vector<Vertex> v;
    for (int i = 0; i < rows; ++i) {
      for (int j = 0; j < cols; ++j) {
        const float u = j / 80.0f + 0.03f * std::sin(i * 0.3f),
                    t = -i / 60.0f + 0.03f * std::sin(j * 0.2f);
        v.push_back({-1 + j * 2.0f / 80, -1 + i * 2.0f / 60, 1, u, t});
      }
    }
    std::vector<std::uint16_t> idx;
    for (int i = 0; i + 1 < rows; ++i) {
      for (int j = 0; j + 1 < cols; ++j) {
        const int b = i * cols;
        const int cell[6] = {b + j,        b + j + 1,        b + cols + j,
                             b + cols + j, b + cols + j + 1, b + j + 1};
        for (int k : cell) idx.push_back(static_cast<std::uint16_t>(k));
      }
    }
    device_->CreateVertexBuffer(static_cast<UINT>(v.size() * 20),
                                D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x102, D3DPOOL_DEFAULT,
                                &grid_, nullptr);
    device_->CreateIndexBuffer(static_cast<UINT>(idx.size() * 2), 0, D3DFMT_INDEX16,
                               D3DPOOL_MANAGED, &indices_, nullptr);
    gridVertices_ = v;
    void* data;
    indices_->Lock(0, 0, &data, 0);
    std::memcpy(data, idx.data(), idx.size() * 2);
    indices_->Unlock();
  }
  void drawGrid() {
    void* data;
    grid_->Lock(0, 0, &data, D3DLOCK_DISCARD);
    std::memcpy(data, gridVertices_.data(), gridVertices_.size() * 20);
    grid_->Unlock();
    device_->SetFVF(0x102);
    device_->SetIndices(indices_);
    device_->SetStreamSource(0, grid_, 0, 20);
    device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4941, 0, 9600);
  }

  IDirect3DDevice9* device() { return device_; }

 private:
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  IDirect3DTexture9* picture_ = nullptr;
  IDirect3DTexture9* target_ = nullptr;
  IDirect3DVertexBuffer9* quad_ = nullptr;
  IDirect3DVertexBuffer9* grid_ = nullptr;
  IDirect3DIndexBuffer9* indices_ = nullptr;
  std::vector<Vertex> gridVertices_;
};

void report(benchmark::State& state, double pixelsPerIteration) {
  state.counters["Mpixels/s"] =
      benchmark::Counter(pixelsPerIteration / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void FullScreenBilinear(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  Scene scene(512);
  scene.filters(D3DTEXF_NONE);
  scene.blend(false);
  for (auto _ : state) scene.drawQuad();
  report(state, 512.0 * 512.0);
}

void FullScreenTrilinear(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  Scene scene(512);
  scene.filters(D3DTEXF_LINEAR);
  scene.blend(false);
  // A 2.5:1 minification, so that two levels are really blended.
  D3DMATRIX m{};
  m._11 = m._22 = 2.5f;
  m._33 = m._44 = 1.0f;
  scene.device()->SetTransform(D3DTS_TEXTURE0, &m);
  scene.device()->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  for (auto _ : state) scene.drawQuad();
  report(state, 512.0 * 512.0);
}

void FullScreenBilinearBlended(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  Scene scene(512);
  scene.filters(D3DTEXF_NONE);
  scene.blend(true);
  for (auto _ : state) scene.drawQuad();
  report(state, 512.0 * 512.0);
}

void WarpGrid(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  Scene scene(512);
  scene.filters(D3DTEXF_LINEAR);
  scene.blend(true);
  scene.buildGrid();
  for (auto _ : state) scene.drawGrid();
  report(state, 512.0 * 512.0);
}

void BlendedPass256(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  Scene scene(256);
  scene.filters(D3DTEXF_LINEAR);
  scene.blend(true);
  scene.device()->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCALPHA);
  for (auto _ : state) scene.drawQuad();
  report(state, 256.0 * 256.0);
}

void Stretch512To640x480(benchmark::State& state) {
  d3d9port::setThreadCount(static_cast<int>(state.range(0)));
  Scene scene(0);  // draws into the back buffer
  scene.filters(D3DTEXF_LINEAR);
  scene.blend(false);
  for (auto _ : state) scene.drawQuad();
  report(state, 640.0 * 480.0);
}

}  // namespace

BENCHMARK(FullScreenBilinear)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(FullScreenTrilinear)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(FullScreenBilinearBlended)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(WarpGrid)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(BlendedPass256)->Arg(1)->Arg(2)->UseRealTime();
BENCHMARK(Stretch512To640x480)->Arg(1)->Arg(2)->UseRealTime();

BENCHMARK_MAIN();
