// A index buffer of 16- or 32-bit indices.
#pragma once

#include "buffer_store.h"
#include "object.h"

namespace d3d9impl {

class Device;

class IndexBuffer final : public RefCounted<IDirect3DIndexBuffer9> {
 public:
  IndexBuffer(Device* device, DWORD usage, D3DFORMAT format, D3DPOOL pool);
  ~IndexBuffer() override;
  HRESULT allocate(UINT length) { return store_.allocate(length); }

  HRESULT GetDevice(IDirect3DDevice9** device) override;
  D3DRESOURCETYPE GetType() override { return D3DRTYPE_INDEXBUFFER; }
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* desc) override;

  const BufferStore& store() const { return store_; }
  D3DFORMAT format() const { return format_; }

 private:
  Device* device_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  BufferStore store_;
};

}  // namespace d3d9impl
