#include "vertex_buffer.h"

#include "device.h"

namespace d3d9impl {

VertexBuffer::VertexBuffer(Device* device, DWORD usage, DWORD fvf, D3DPOOL pool)
    : RefCounted("vb"), device_(device), usage_(usage), fvf_(fvf), pool_(pool) {
  device_->childCreated();
}

VertexBuffer::~VertexBuffer() { device_->childDestroyed(); }

HRESULT VertexBuffer::GetDevice(IDirect3DDevice9** device) { return device_->handOut(device); }

HRESULT VertexBuffer::Lock(UINT offset, UINT size, void** data, DWORD flags) {
  if (tracing()) {
    traceLine("Lock(" + name() + ", " + std::to_string(offset) + ", " + std::to_string(size) +
              ", " + hex(flags) + ")");
  }
  return store_.lock(offset, size, data, flags);
}

HRESULT VertexBuffer::Unlock() {
  if (tracing()) traceLine("Unlock(" + name() + ")");
  return store_.unlock();
}

HRESULT VertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* desc) {
  if (desc == nullptr) return D3DERR_INVALIDCALL;
  *desc = {D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage_, pool_, store_.length(), fvf_};
  return D3D_OK;
}

}  // namespace d3d9impl
