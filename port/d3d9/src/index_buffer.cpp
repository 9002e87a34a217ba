#include "index_buffer.h"

#include "device.h"

namespace d3d9impl {

IndexBuffer::IndexBuffer(Device* device, DWORD usage, D3DFORMAT format, D3DPOOL pool)
    : RefCounted("ib"), device_(device), usage_(usage), format_(format), pool_(pool) {
  device_->childCreated();
}

IndexBuffer::~IndexBuffer() { device_->childDestroyed(); }

HRESULT IndexBuffer::GetDevice(IDirect3DDevice9** device) { return device_->handOut(device); }

HRESULT IndexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
  if (tracing()) {
    traceLine("Lock(" + name() + ", " + std::to_string(offset) + ", " + std::to_string(size) +
              ", " + hex(flags) + ")");
  }
  return store_.lock(offset, size, data, flags);
}

HRESULT IndexBuffer::Unlock() {
  if (tracing()) traceLine("Unlock(" + name() + ")");
  return store_.unlock();
}

HRESULT IndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {format_, D3DRTYPE_INDEXBUFFER, usage_, pool_, store_.length()};
  return D3D_OK;
}

}  // namespace d3d9impl
