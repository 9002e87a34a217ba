// IDirect3D9: one adapter, the software device.
#pragma once

#include "object.h"

namespace d3d9impl {

class Direct3D final : public RefCounted<IDirect3D9> {
 public:
  Direct3D() : RefCounted("d3d") {}

  UINT GetAdapterCount() override;
  HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) override;
  HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS9* caps) override;
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                       D3DPRESENT_PARAMETERS* parameters, IDirect3DDevice9** device) override;
};

// What GetDeviceCaps reports, for the Direct3D object and the device alike.
void fillCaps(D3DCAPS9* caps);

}  // namespace d3d9impl
