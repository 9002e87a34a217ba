// A vertex buffer: plain memory read by the draws that bind it.
#pragma once

#include "buffer_store.h"
#include "object.h"

namespace d3d9impl {

class Device;

class VertexBuffer final : public RefCounted<IDirect3DVertexBuffer9> {
 public:
  VertexBuffer(Device* device, DWORD usage, DWORD fvf, D3DPOOL pool);
  ~VertexBuffer() override;
  HRESULT allocate(UINT length) { return store_.allocate(length); }

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_VERTEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* desc) override;

  const BufferStore& store() const { return store_; }

 private:
  Device* device_;
  DWORD usage_, fvf_;
  D3DPOOL pool_;
  BufferStore store_;
};

}  // namespace d3d9impl
