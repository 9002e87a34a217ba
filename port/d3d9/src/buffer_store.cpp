#include "buffer_store.h"

#include "device_limits.h"

namespace d3d9impl {

HRESULT BufferStore::allocate(UINT length) {
  if (length == 0 || length > limits::kMaxBufferBytes) return D3DERR_INVALIDCALL;
  data_.reset(static_cast<std::uint8_t*>(std::calloc(length, 1)));
  if (!data_) return E_OUTOFMEMORY;
  length_ = length;
  return D3D_OK;
}

HRESULT BufferStore::lock(UINT offset, UINT size, void** data, DWORD flags) {
  if (data == nullptr) return D3DERR_INVALIDCALL;
  *data = nullptr;
  if (offset > length_) return D3DERR_INVALIDCALL;
  if (size == 0) size = length_ - offset;
  if (size > length_ - offset) return D3DERR_INVALIDCALL;  // no overflow: offset <= length_
  if ((flags & D3DLOCK_DISCARD) != 0 && locks_ == 0) {
    // The old contents may still be in use by a draw in flight on real
    // hardware; here draws are finished, but the caller is promised new
    // memory and gets it: a different block, zero-filled.
    std::unique_ptr<std::uint8_t, Free> fresh(static_cast<std::uint8_t*>(std::calloc(length_, 1)));
    if (!fresh) return E_OUTOFMEMORY;
    data_ = std::move(fresh);
  }
  ++locks_;
  *data = data_.get() + offset;
  return D3D_OK;
}

HRESULT BufferStore::unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  return D3D_OK;
}

}  // namespace d3d9impl
