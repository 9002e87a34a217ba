#include "buffer_store.h"

#include <cstring>

#include "device_limits.h"

namespace d3d9impl {

HRESULT BufferStore::allocate(UINT length) {
  if (length == 0 || length > limits::kMaxBufferBytes) return D3DERR_INVALIDCALL;
  data_.reset(static_cast<std::uint8_t*>(std::calloc(length, 1)));
  spare_.reset();
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
    // Real hardware may still read the old contents in a draw in flight, so
    // the caller is promised other memory. Here every draw has finished
    // before it returned and pointers from earlier locks are void after
    // Unlock: the previous block can be handed out again at the next
    // DISCARD. It is zeroed as a fresh one was, so that no earlier frame
    // shows through a partial refill.
    if (!spare_) {
      spare_.reset(static_cast<std::uint8_t*>(std::calloc(length_, 1)));
      if (!spare_) return E_OUTOFMEMORY;
    } else {
      std::memset(spare_.get(), 0, length_);
    }
    std::swap(data_, spare_);
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
