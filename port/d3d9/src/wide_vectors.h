// Whether the 256-bit (AVX2) loops run: the CPU has them and the port has
// not turned them off (d3d9port::setWideVectors). Asked once per draw.
#pragma once

namespace d3d9impl {

bool useWideVectors();

// The attribute of every function with 256-bit vectors: compiled for AVX2,
// called only where useWideVectors() said so, so the binary still runs on
// any x86-64.
#define VK_AVX2 __attribute__((target("avx2")))

}  // namespace d3d9impl
