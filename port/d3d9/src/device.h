// The software device. Split by concern: device.cpp (life, caps, targets,
// frame), device_resources.cpp (creation), device_state.cpp (state get/set),
// device_draw.cpp (streams and draws, handed to the pipeline).
#pragma once

#include <d3d9_port.h>

#include <cstdint>
#include <vector>

#include "object.h"
#include "state.h"

namespace d3d9impl {

class Direct3D;
class IndexBuffer;
class Surface;
class Texture;
class VertexBuffer;

class Device final : public RefCounted<IDirect3DDevice9> {
 public:
  static HRESULT create(Direct3D* direct3d, HWND window, D3DPRESENT_PARAMETERS* parameters,
                        Device** device);

  // Resources keep the device alive (privately) so their GetDevice stays valid.
  void childCreated() { ++children_; }
  void childDestroyed();
  // GetDevice of a resource: a new public reference.
  HRESULT handOut(IDirect3DDevice9** device);

  HRESULT GetDirect3D(IDirect3D9** direct3d) override;
  HRESULT GetDeviceCaps(D3DCAPS9* caps) override;

  // d3d9port::createTextureFrom.
  HRESULT createTextureFrom(UINT width, UINT height, D3DFORMAT format,
                            std::vector<d3d9port::Texels> levels, IDirect3DTexture9** texture);
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                        D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) override;
  HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                             IDirect3DVertexBuffer9** buffer, HANDLE* shared) override;
  HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                            IDirect3DIndexBuffer9** buffer, HANDLE* shared) override;
  HRESULT CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample, DWORD quality, BOOL discard,
                                    IDirect3DSurface9** surface, HANDLE* shared) override;

  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                DWORD stencil) override;
  HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                  const void* dirtyRegion) override;
  HRESULT GetBackBuffer(UINT swapChain, UINT backBuffer, DWORD type,
                        IDirect3DSurface9** surface) override;
  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* surface) override;
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** surface) override;
  HRESULT SetDepthStencilSurface(IDirect3DSurface9* surface) override;
  HRESULT GetDepthStencilSurface(IDirect3DSurface9** surface) override;
  HRESULT SetViewport(const D3DVIEWPORT9* viewport) override;
  HRESULT GetViewport(D3DVIEWPORT9* viewport) override;

  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) override;
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* texture) override;
  HRESULT GetTexture(DWORD stage, IDirect3DBaseTexture9** texture) override;

  HRESULT SetFVF(DWORD fvf) override;
  HRESULT GetFVF(DWORD* fvf) override;
  HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer9* buffer, UINT offset,
                          UINT stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* indices) override;
  HRESULT DrawPrimitive(D3DPRIMITIVETYPE type, UINT startVertex, UINT primitiveCount) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertexIndex, UINT minVertexIndex,
                               UINT numVertices, UINT startIndex, UINT primitiveCount) override;

 protected:
  void lastReleased() override;

 private:
  void traceCreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                          D3DPOOL pool, const Texture* made, HRESULT hr);
  Device(Direct3D* direct3d, HWND window, const D3DPRESENT_PARAMETERS& parameters);
  ~Device() override;
  void unbindAll();
  HRESULT draw(D3DPRIMITIVETYPE type, INT baseVertex, UINT startVertex, UINT startIndex,
               UINT primitiveCount, bool indexed);

  Direct3D* direct3d_;
  HWND window_;
  D3DPRESENT_PARAMETERS parameters_;
  int children_ = 0;
  bool dying_ = false;
  bool inScene_ = false;

  DeviceState state_;
  D3DVIEWPORT9 viewport_{};
  Surface* backBuffer_ = nullptr;    // owned reference
  Surface* renderTarget_ = nullptr;  // bound reference
  Surface* depthStencil_ = nullptr;  // bound reference
  Texture* textures_[limits::kMaxSamplers] = {};
  VertexBuffer* stream_ = nullptr;
  UINT streamOffset_ = 0, streamStride_ = 0;
  IndexBuffer* indices_ = nullptr;
  // The vertex numbers of the current draw; kept so that draws reuse it.
  std::vector<std::uint32_t> order_;
};

}  // namespace d3d9impl
