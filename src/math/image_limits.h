// What the texture loader accepts, named once. Files and images above these
// are refused before any memory is taken for them.
#pragma once

#include <d3d9_port.h>

#include <cstddef>
#include <cstdint>

namespace imageload {

// No PNG the show could use comes near this; a larger file is refused unread.
constexpr std::size_t kMaxFileBytes = std::size_t{64} << 20;

// A side above the device's limit would need a texture the device refuses.
constexpr std::uint32_t kMaxSide = d3d9port::kMaxTextureSize;

// Caps both the decoded image and the padded level 0 (64 MiB of RGBA each),
// so a long thin image cannot ask for 8192 x 8192 texels.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;

}  // namespace imageload
