#include "device.h"

#include <win32_port.h>

#include <algorithm>
#include <new>

#include "direct3d.h"
#include "index_buffer.h"
#include "surface.h"
#include "texture.h"
#include "vertex_buffer.h"

namespace d3d9impl {

namespace {

D3DVIEWPORT9 wholeOf(Surface* surface) {
  return {0, 0, surface->image().width(), surface->image().height(), 0.0f, 1.0f};
}

HRESULT makeSurface(Device* device, D3DFORMAT format, UINT width, UINT height, DWORD usage,
                    Surface** surface) {
  if (width == 0 || height == 0 || width > limits::kMaxTextureSize ||
      height > limits::kMaxTextureSize) {
    return D3DERR_INVALIDCALL;
  }
  std::unique_ptr<Image> image;
  if (HRESULT hr = Image::create(format, width, height, &image); FAILED(hr)) return hr;
  *surface = new (std::nothrow) Surface(device, std::move(image), usage, D3DPOOL_DEFAULT);
  return *surface != nullptr ? D3D_OK : E_OUTOFMEMORY;
}

}  // namespace

Device::Device(Direct3D* direct3d, HWND window, const D3DPRESENT_PARAMETERS& parameters)
    : RefCounted("dev"), direct3d_(direct3d), window_(window), parameters_(parameters) {
  direct3d_->retain();
  resetState(&state_, parameters.EnableAutoDepthStencil != FALSE);
}

Device::~Device() { direct3d_->release(); }

HRESULT Device::create(Direct3D* direct3d, HWND window, D3DPRESENT_PARAMETERS* parameters,
                       Device** device) {
  D3DPRESENT_PARAMETERS p = *parameters;
  // As Direct3D does for a windowed device, zero sizes and an unknown format
  // take defaults, written back to the caller's record.
  if (p.BackBufferWidth == 0) p.BackBufferWidth = 640;
  if (p.BackBufferHeight == 0) p.BackBufferHeight = 480;
  if (p.BackBufferFormat == D3DFMT_UNKNOWN) p.BackBufferFormat = D3DFMT_X8R8G8B8;
  if (p.BackBufferCount == 0) p.BackBufferCount = 1;
  if ((p.BackBufferFormat != D3DFMT_X8R8G8B8 && p.BackBufferFormat != D3DFMT_A8R8G8B8) ||
      p.BackBufferCount > 3 || p.MultiSampleType != D3DMULTISAMPLE_NONE ||
      (p.EnableAutoDepthStencil && p.AutoDepthStencilFormat != D3DFMT_D24X8) ||
      (p.PresentationInterval != D3DPRESENT_INTERVAL_DEFAULT &&
       p.PresentationInterval != D3DPRESENT_INTERVAL_ONE &&
       p.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE)) {
    return D3DERR_INVALIDCALL;
  }
  Device* made = new (std::nothrow) Device(direct3d, window, p);
  if (made == nullptr) return E_OUTOFMEMORY;
  HRESULT hr = makeSurface(made, p.BackBufferFormat, p.BackBufferWidth, p.BackBufferHeight,
                           D3DUSAGE_RENDERTARGET, &made->backBuffer_);
  if (SUCCEEDED(hr) && p.EnableAutoDepthStencil) {
    hr = makeSurface(made, D3DFMT_D24X8, p.BackBufferWidth, p.BackBufferHeight,
                     D3DUSAGE_DEPTHSTENCIL, &made->depthStencil_);
  }
  if (FAILED(hr)) {
    made->Release();
    return hr;
  }
  made->renderTarget_ = made->backBuffer_;
  made->backBuffer_->retain();
  made->viewport_ = wholeOf(made->backBuffer_);
  *parameters = p;
  *device = made;
  return D3D_OK;
}

void Device::unbindAll() {
  for (Texture*& texture : textures_) {
    releaseObject(texture);
    texture = nullptr;
  }
  releaseObject(stream_);
  stream_ = nullptr;
  releaseObject(indices_);
  indices_ = nullptr;
  releaseObject(renderTarget_);
  renderTarget_ = nullptr;
  releaseObject(depthStencil_);
  depthStencil_ = nullptr;
  releaseObject(backBuffer_);
  backBuffer_ = nullptr;
}

// The last public reference is gone: let go of everything bound. The object
// itself lives on while resources created from it do.
void Device::lastReleased() {
  dying_ = true;
  unbindAll();
  dying_ = false;
  if (children_ == 0) delete this;
}

void Device::childDestroyed() {
  if (--children_ == 0 && refs_ == 0 && !dying_) delete this;
}

HRESULT Device::handOut(IDirect3DDevice9** device) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  if (refs_ == 0) {  // released by its owner; resources outlive it as plain memory
    *device = nullptr;
    return D3DERR_INVALIDCALL;
  }
  retain();
  *device = this;
  return D3D_OK;
}

HRESULT Device::GetDirect3D(IDirect3D9** direct3d) {
  if (direct3d == nullptr) return D3DERR_INVALIDCALL;
  direct3d_->retain();
  *direct3d = direct3d_;
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps) {
  if (tracing()) traceLine("GetDeviceCaps()");
  if (caps == nullptr) return D3DERR_INVALIDCALL;
  fillCaps(caps);
  return D3D_OK;
}

HRESULT Device::BeginScene() {
  if (tracing()) traceLine("BeginScene()");
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  if (tracing()) traceLine("EndScene()");
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) {
  if (tracing()) {
    traceLine("Clear(" + std::to_string(count) + ", " + (rects ? "rects" : "null") + ", " +
              hex(flags) + ", " + colourText(color) + ", " + number(z) + ", " +
              std::to_string(stencil) + ")");
  }
  if ((count > 0 && rects == nullptr) || (flags & D3DCLEAR_STENCIL) != 0 ||
      (flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER)) == 0 ||
      ((flags & D3DCLEAR_ZBUFFER) != 0 && depthStencil_ == nullptr) || renderTarget_ == nullptr) {
    return D3DERR_INVALIDCALL;  // D24X8 has no stencil to clear
  }
  const DWORD depth = static_cast<DWORD>(std::clamp(z, 0.0f, 1.0f) * 16777215.0f + 0.5f);
  const DWORD pixel =
      renderTarget_->image().format() == D3DFMT_X8R8G8B8 ? color | 0xFF000000u : color;
  auto fill = [&](LONG x1, LONG y1, LONG x2, LONG y2) {
    x1 = std::max<LONG>(x1, static_cast<LONG>(viewport_.X));
    y1 = std::max<LONG>(y1, static_cast<LONG>(viewport_.Y));
    x2 = std::min<LONG>(x2, static_cast<LONG>(viewport_.X + viewport_.Width));
    y2 = std::min<LONG>(y2, static_cast<LONG>(viewport_.Y + viewport_.Height));
    for (LONG y = y1; y < y2; ++y) {
      if ((flags & D3DCLEAR_TARGET) != 0) {
        std::fill_n(renderTarget_->image().row32(static_cast<UINT>(y)) + x1,
                    std::max<LONG>(0, x2 - x1), pixel);
      }
      if ((flags & D3DCLEAR_ZBUFFER) != 0) {
        Image& d = depthStencil_->image();
        if (static_cast<UINT>(y) >= d.height()) continue;
        const LONG end = std::min<LONG>(x2, static_cast<LONG>(d.width()));
        if (end > x1) std::fill_n(d.row32(static_cast<UINT>(y)) + x1, end - x1, depth);
      }
    }
  };
  if (count == 0) {
    fill(0, 0, LONG{1} << 30, LONG{1} << 30);
  } else {
    for (DWORD i = 0; i < count; ++i) fill(rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2);
  }
  return D3D_OK;
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindow,
                        const void* dirtyRegion) {
  if (tracing()) traceLine("Present()");
  // With the discard swap effect Direct3D 9 takes no rectangles.
  if (sourceRect != nullptr || destRect != nullptr || dirtyRegion != nullptr) {
    return D3DERR_INVALIDCALL;
  }
  const Image& image = backBuffer_->image();
  win32port::presentFrame(destWindow != nullptr ? destWindow : window_,
                          reinterpret_cast<const std::uint32_t*>(image.bits()),
                          static_cast<int>(image.width()), static_cast<int>(image.height()),
                          static_cast<int>(image.pitch() / 4),
                          parameters_.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE);
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT backBuffer, DWORD type,
                              IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (swapChain != 0 || backBuffer >= parameters_.BackBufferCount ||
      type != D3DBACKBUFFER_TYPE_MONO) {
    return D3DERR_INVALIDCALL;
  }
  backBuffer_->retain();
  *surface = backBuffer_;
  if (tracing())
    traceLine("GetBackBuffer(0, " + std::to_string(backBuffer) + ") -> " + backBuffer_->name());
  return D3D_OK;
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* surface) {
  if (tracing())
    traceLine("SetRenderTarget(" + std::to_string(index) + ", " + objectName(surface) + ")");
  auto* target = dynamic_cast<Surface*>(surface);
  if (index != 0 || target == nullptr || (target->usage() & D3DUSAGE_RENDERTARGET) == 0) {
    return D3DERR_INVALIDCALL;
  }
  target->retain();
  releaseObject(renderTarget_);
  renderTarget_ = target;
  viewport_ = wholeOf(target);
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = nullptr;
  if (index != 0 || renderTarget_ == nullptr) return D3DERR_INVALIDCALL;
  renderTarget_->retain();
  *surface = renderTarget_;
  if (tracing()) traceLine("GetRenderTarget(0) -> " + renderTarget_->name());
  return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* surface) {
  if (tracing()) traceLine("SetDepthStencilSurface(" + objectName(surface) + ")");
  auto* depth = dynamic_cast<Surface*>(surface);
  if (surface != nullptr && (depth == nullptr || (depth->usage() & D3DUSAGE_DEPTHSTENCIL) == 0)) {
    return D3DERR_INVALIDCALL;
  }
  retainObject(depth);
  releaseObject(depthStencil_);
  depthStencil_ = depth;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** surface) {
  if (surface == nullptr) return D3DERR_INVALIDCALL;
  *surface = depthStencil_;
  if (depthStencil_ == nullptr) return D3DERR_NOTAVAILABLE;  // Direct3D's NOTFOUND
  depthStencil_->retain();
  return D3D_OK;
}

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport) {
  if (tracing() && viewport != nullptr) {
    traceLine("SetViewport(" + std::to_string(viewport->X) + ", " + std::to_string(viewport->Y) +
              ", " + std::to_string(viewport->Width) + ", " + std::to_string(viewport->Height) +
              ", " + number(viewport->MinZ) + ", " + number(viewport->MaxZ) + ")");
  }
  if (viewport == nullptr || renderTarget_ == nullptr) return D3DERR_INVALIDCALL;
  const std::uint64_t right = std::uint64_t{viewport->X} + viewport->Width;
  const std::uint64_t bottom = std::uint64_t{viewport->Y} + viewport->Height;
  if (viewport->Width == 0 || viewport->Height == 0 || right > renderTarget_->image().width() ||
      bottom > renderTarget_->image().height() || !(viewport->MinZ >= 0.0f) ||
      !(viewport->MaxZ <= 1.0f) || viewport->MinZ > viewport->MaxZ) {
    return D3DERR_INVALIDCALL;
  }
  viewport_ = *viewport;
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

}  // namespace d3d9impl
