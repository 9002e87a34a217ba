// Writing an RGBA level into the texel layout of the texture's format.
#pragma once

#include <cstddef>
#include <cstdint>

#include "image_pyramid.h"
#include "png_decode.h"

namespace imageload {

std::uint32_t bytesPerTexel(vk_texel_format format);

// Writes level into rows of pitch bytes at bits. Only R3G3B2 holds fewer bits
// than the image, so only it is dithered (ordered, 4 x 4): a texel already on
// one of its levels keeps that level exactly.
void writeTexels(const RgbaImage& level, vk_texel_format format, std::uint8_t* bits,
                 std::ptrdiff_t pitch);

}  // namespace imageload
