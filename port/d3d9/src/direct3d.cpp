#include "direct3d.h"

#include <cstring>
#include <new>

#include "device.h"
#include "device_limits.h"
#include "faults.h"

namespace d3d9impl {

void fillCaps(D3DCAPS9* caps) {
  std::memset(caps, 0, sizeof *caps);
  caps->DeviceType = D3DDEVTYPE_HAL;
  caps->AdapterOrdinal = D3DADAPTER_DEFAULT;
  caps->DevCaps = activeFaults().noHardwareTransform ? 0u : D3DDEVCAPS_HWTRANSFORMANDLIGHT;
  caps->MaxTextureWidth = limits::kMaxTextureSize;
  caps->MaxTextureHeight = limits::kMaxTextureSize;
  caps->MaxSimultaneousTextures = limits::kMaxTextureStages;
  caps->MaxTextureBlendStages = limits::kMaxTextureStages;
  caps->MaxPrimitiveCount = limits::kMaxPrimitiveCount;
  caps->MaxVertexIndex = limits::kMaxVertexIndex;
  caps->MaxStreams = limits::kMaxStreams;
}

UINT Direct3D::GetAdapterCount() { return 1; }

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
  if (tracing()) traceLine("GetAdapterDisplayMode(" + std::to_string(adapter) + ")");
  if (adapter != D3DADAPTER_DEFAULT || mode == nullptr || activeFaults().displayModeFails) {
    return D3DERR_INVALIDCALL;
  }
  // The device draws off-screen; the mode it reports is a plain desktop.
  *mode = {1920, 1080, 60, D3DFMT_X8R8G8B8};
  return D3D_OK;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) {
  if (tracing())
    traceLine("GetDeviceCaps(" + std::to_string(adapter) + ", " + std::to_string(type) + ")");
  if (adapter != D3DADAPTER_DEFAULT || caps == nullptr) return D3DERR_INVALIDCALL;
  fillCaps(caps);
  caps->DeviceType = type;
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) {
  if (tracing()) {
    traceLine("CreateDevice(" + std::to_string(adapter) + ", " + std::to_string(type) + ", " +
              hex(behaviorFlags) + ")");
  }
  if (device == nullptr) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (adapter != D3DADAPTER_DEFAULT || parameters == nullptr) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
  const DWORD processing =
      behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                       D3DCREATE_MIXED_VERTEXPROCESSING);
  // Direct3D 9 wants exactly one vertex-processing mode.
  if (processing == 0 || (processing & (processing - 1)) != 0) return D3DERR_INVALIDCALL;
  if (activeFaults().createDeviceFails) return D3DERR_NOTAVAILABLE;
  Device* made = nullptr;
  HWND window = parameters->hDeviceWindow != nullptr ? parameters->hDeviceWindow : focusWindow;
  if (HRESULT hr = Device::create(this, window, parameters, &made); FAILED(hr)) return hr;
  *device = made;
  return D3D_OK;
}

}  // namespace d3d9impl

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (d3d9impl::tracing())
    d3d9impl::traceLine("Direct3DCreate9(" + std::to_string(sdkVersion) + ")");
  if (sdkVersion != D3D_SDK_VERSION || d3d9impl::activeFaults().direct3DCreateFails) return nullptr;
  return new (std::nothrow) d3d9impl::Direct3D;
}
