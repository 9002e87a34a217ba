// The memory of a vertex or index buffer, with Direct3D's lock rules:
// size 0 locks to the end, a DISCARD lock hands out other memory, zeroed.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace d3d9impl {

class BufferStore {
 public:
  HRESULT allocate(UINT length);
  HRESULT lock(UINT offset, UINT size, void** data, DWORD flags);
  HRESULT unlock();

  UINT length() const { return length_; }
  const std::uint8_t* data() const { return data_.get(); }
  bool locked() const { return locks_ > 0; }

 private:
  struct Free {
    void operator()(std::uint8_t* p) const { std::free(p); }
  };
  using Block = std::unique_ptr<std::uint8_t, Free>;
  Block data_;
  // The block a DISCARD lock switches to; made by the first one and kept, so
  // that a buffer refilled every frame costs no allocation per frame.
  Block spare_;
  UINT length_ = 0;
  int locks_ = 0;
};

}  // namespace d3d9impl
