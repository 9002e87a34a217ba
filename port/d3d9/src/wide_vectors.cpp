#include "wide_vectors.h"

#include <d3d9_port.h>

namespace d3d9impl {

bool useWideVectors() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has && d3d9port::wideVectors();
}

}  // namespace d3d9impl
