#include "prepared_picture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <utility>

#include "d3dx_texture.h"
#include "image_limits.h"
#include "image_pyramid.h"
#include "png_decode.h"
#include "texel_convert.h"

namespace imageload {
namespace {

D3DFORMAT d3dFormat(vk_texel_format format) {
  switch (format) {
    case VK_TEXEL_X8R8G8B8:
      return D3DFMT_X8R8G8B8;
    case VK_TEXEL_L8:
      return D3DFMT_L8;
    case VK_TEXEL_A8L8:
      return D3DFMT_A8L8;
    case VK_TEXEL_R3G3B2:
      return D3DFMT_R3G3B2;
    default:
      return D3DFMT_A8R8G8B8;
  }
}

// The whole file, or false when it is no readable regular file within the
// size cap.
bool readWholeFile(const char* path, std::vector<unsigned char>& bytes) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) return false;
  const auto size = std::filesystem::file_size(path, error);
  if (error || size == 0 || size > kMaxFileBytes) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  // One byte more than the cap catches a file that grew since file_size.
  bytes.resize(static_cast<std::size_t>(size) + 1);
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (got == 0 || got > kMaxFileBytes) return false;
  bytes.resize(got);
  return true;
}

HRESULT decodeResult(vk_png_result result) {
  return result == VK_PNG_OUT_OF_MEMORY ? E_OUTOFMEMORY : D3DXERR_INVALIDDATA;
}

// Owns the decoder's pixels, so that a thrown bad_alloc does not leak them.
struct DecodedImage {
  vk_png_image image{};
  ~DecodedImage() { vk_png_free(&image); }
};

// Level 0 stretched from the file's image; its format in `format`.
HRESULT decodeLevel0(const std::vector<unsigned char>& file, RgbaImage& level,
                     vk_texel_format& format) {
  DecodedImage decoded;
  const vk_png_limits limits{kMaxSide, kMaxPixels};
  const vk_png_result result = vk_png_decode(file.data(), file.size(), &limits, &decoded.image);
  if (result != VK_PNG_OK) return decodeResult(result);
  const vk_png_image& image = decoded.image;
  const std::uint32_t width = powerOfTwoAtLeast(image.width);
  const std::uint32_t height = powerOfTwoAtLeast(image.height);
  if (std::uint64_t{width} * height > kMaxPixels) return D3DXERR_INVALIDDATA;
  if (!stretch(image.rgba, image.width, image.height, width, height, level)) return E_OUTOFMEMORY;
  format = image.format;
  return D3D_OK;
}

void layOutChain(RgbaImage level, vk_texel_format format, PreparedPicture& picture) {
  const std::uint32_t count = mipLevelCount(level.width, level.height);
  const std::size_t texelBytes = bytesPerTexel(format);
  picture.levels.resize(count);
  picture.texels.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    if (i > 0) level = halve(level);
    PreparedLevel& at = picture.levels[i];
    at = {level.width, level.height, level.width * texelBytes};
    // Left unset: writeTexels sets every byte.
    picture.texels.emplace_back(static_cast<std::uint8_t*>(std::malloc(at.pitch * at.height)));
    if (!picture.texels.back()) throw std::bad_alloc();
    writeTexels(level, format, picture.texels.back().get(), static_cast<std::ptrdiff_t>(at.pitch));
  }
}

}  // namespace

PreparedPicture preparePicture(const char* path) {
  PreparedPicture picture;
  try {
    std::vector<unsigned char> file;
    if (!readWholeFile(path, file)) {
      picture.result = D3DERR_NOTFOUND;
      return picture;
    }
    RgbaImage level;
    vk_texel_format format = VK_TEXEL_A8R8G8B8;
    picture.result = decodeLevel0(file, level, format);
    if (FAILED(picture.result)) return picture;
    file = {};
    picture.format = d3dFormat(format);
    layOutChain(std::move(level), format, picture);
  } catch (const std::bad_alloc&) {
    picture = PreparedPicture{};
    picture.result = E_OUTOFMEMORY;
  }
  return picture;
}

std::size_t PreparedPicture::bytes() const {
  std::size_t total = 0;
  for (const PreparedLevel& level : levels) total += level.pitch * level.height;
  return total;
}

HRESULT createTexture(IDirect3DDevice9* device, PreparedPicture picture, IDirect3DTexture9** out) {
  if (FAILED(picture.result)) return picture.result;
  const PreparedLevel& top = picture.levels.front();
  return d3d9port::createTextureFrom(device, top.width, top.height, picture.format,
                                     std::move(picture.texels), out);
}

}  // namespace imageload
