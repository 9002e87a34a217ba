// Resource creation. Every failure leaves *out null and the device unchanged.
#include <new>

#include "device.h"
#include "faults.h"
#include "index_buffer.h"
#include "surface.h"
#include "texture.h"
#include "vertex_buffer.h"

namespace d3d9impl {

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture, HANDLE* shared) {
  HRESULT hr = D3DERR_INVALIDCALL;
  Texture* made = nullptr;
  if (texture != nullptr) *texture = nullptr;
  if (failThisCreateTexture()) {
    hr = D3DERR_OUTOFVIDEOMEMORY;
  } else if (texture != nullptr && shared == nullptr) {
    hr = Texture::create(this, width, height, levels, usage, format, pool, &made);
  }
  if (SUCCEEDED(hr)) *texture = made;
  traceCreateTexture(width, height, levels, usage, format, pool, made, hr);
  return hr;
}

HRESULT Device::createTextureFrom(UINT width, UINT height, D3DFORMAT format,
                                  std::vector<d3d9port::Texels> levels,
                                  IDirect3DTexture9** texture) {
  HRESULT hr = D3DERR_INVALIDCALL;
  Texture* made = nullptr;
  const UINT count = static_cast<UINT>(levels.size());
  if (texture != nullptr) *texture = nullptr;
  if (failThisCreateTexture()) {
    hr = D3DERR_OUTOFVIDEOMEMORY;
  } else if (texture != nullptr && count > 0) {
    hr = Texture::create(this, width, height, count, 0, format, D3DPOOL_MANAGED, &made, &levels);
  }
  if (SUCCEEDED(hr)) *texture = made;
  traceCreateTexture(width, height, count, 0, format, D3DPOOL_MANAGED, made, hr);
  return hr;
}

void Device::traceCreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                D3DPOOL pool, const Texture* made, HRESULT hr) {
  if (!tracing()) return;
  traceLine("CreateTexture(" + std::to_string(width) + ", " + std::to_string(height) + ", " +
            std::to_string(levels) + ", " + hex(usage) + ", " + formatName(format) + ", " +
            poolName(pool) + ") -> " +
            (made ? made->name() : "failed " + hex(static_cast<DWORD>(hr))));
}

HRESULT Device::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer, HANDLE* shared) {
  HRESULT hr = D3DERR_INVALIDCALL;
  VertexBuffer* made = nullptr;
  if (buffer != nullptr) *buffer = nullptr;
  if (failThisCreateVertexBuffer()) {
    hr = D3DERR_OUTOFVIDEOMEMORY;
  } else if (buffer != nullptr && shared == nullptr) {
    made = new (std::nothrow) VertexBuffer(this, usage, fvf, pool);
    hr = made != nullptr ? made->allocate(length) : E_OUTOFMEMORY;
    if (FAILED(hr) && made != nullptr) {
      made->release();
      made = nullptr;
    }
  }
  if (SUCCEEDED(hr)) *buffer = made;
  if (tracing()) {
    traceLine("CreateVertexBuffer(" + std::to_string(length) + ", " + hex(usage) + ", " + hex(fvf) +
              ", " + poolName(pool) + ") -> " +
              (made ? made->name() : "failed " + hex(static_cast<DWORD>(hr))));
  }
  return hr;
}

HRESULT Device::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer, HANDLE* shared) {
  HRESULT hr = D3DERR_INVALIDCALL;
  IndexBuffer* made = nullptr;
  if (buffer != nullptr) *buffer = nullptr;
  if (buffer != nullptr && shared == nullptr &&
      (format == D3DFMT_INDEX16 || format == D3DFMT_INDEX32)) {
    made = new (std::nothrow) IndexBuffer(this, usage, format, pool);
    hr = made != nullptr ? made->allocate(length) : E_OUTOFMEMORY;
    if (FAILED(hr) && made != nullptr) {
      made->release();
      made = nullptr;
    }
  }
  if (SUCCEEDED(hr)) *buffer = made;
  if (tracing()) {
    traceLine("CreateIndexBuffer(" + std::to_string(length) + ", " + hex(usage) + ", " +
              formatName(format) + ", " + poolName(pool) + ") -> " +
              (made ? made->name() : "failed " + hex(static_cast<DWORD>(hr))));
  }
  return hr;
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format,
                                          D3DMULTISAMPLE_TYPE multiSample, DWORD quality,
                                          BOOL discard, IDirect3DSurface9** surface,
                                          HANDLE* shared) {
  HRESULT hr = D3DERR_INVALIDCALL;
  Surface* made = nullptr;
  if (surface != nullptr) *surface = nullptr;
  if (surface != nullptr && shared == nullptr && format == D3DFMT_D24X8 &&
      multiSample == D3DMULTISAMPLE_NONE && quality == 0 && width > 0 && height > 0 &&
      width <= limits::kMaxTextureSize && height <= limits::kMaxTextureSize) {
    std::unique_ptr<Image> image;
    hr = Image::create(format, width, height, &image);
    if (SUCCEEDED(hr)) {
      made = new (std::nothrow)
          Surface(this, std::move(image), D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT);
      if (made == nullptr) hr = E_OUTOFMEMORY;
    }
  }
  if (SUCCEEDED(hr)) *surface = made;
  if (tracing()) {
    traceLine("CreateDepthStencilSurface(" + std::to_string(width) + ", " + std::to_string(height) +
              ", " + formatName(format) + ", " + std::to_string(multiSample) + ", " +
              std::to_string(quality) + ", " + std::to_string(discard) + ") -> " +
              (made ? made->name() : "failed " + hex(static_cast<DWORD>(hr))));
  }
  return hr;
}

}  // namespace d3d9impl
