// Any bytes through the loader's decode path: PNG decode, the stretch to a
// power-of-two level 0, the box-filtered chain and the texel writes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_pyramid.h"
#include "png_decode.h"
#include "texel_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Smaller than the loader's limits so that each input stays quick; the
  // size checks themselves are the same code.
  const vk_png_limits limits{1024, std::uint64_t{1} << 18};
  vk_png_image image;
  if (vk_png_decode(data, size, &limits, &image) != VK_PNG_OK) return 0;

  imageload::RgbaImage level;
  const std::uint32_t width = imageload::powerOfTwoAtLeast(image.width);
  const std::uint32_t height = imageload::powerOfTwoAtLeast(image.height);
  const bool stretched =
      std::uint64_t{width} * height <= limits.max_pixels &&
      imageload::stretch(image.rgba, image.width, image.height, width, height, level);
  const vk_texel_format format = image.format;
  vk_png_free(&image);
  if (!stretched) return 0;

  std::vector<std::uint8_t> texels;
  const std::uint32_t levels = imageload::mipLevelCount(width, height);
  for (std::uint32_t i = 0; i < levels; ++i) {
    if (i > 0) level = imageload::halve(level);
    const std::size_t pitch = std::size_t{level.width} * imageload::bytesPerTexel(format);
    texels.assign(pitch * level.height, 0);
    imageload::writeTexels(level, format, texels.data(), static_cast<std::ptrdiff_t>(pitch));
  }
  return 0;
}
