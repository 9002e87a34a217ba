#include "d3dx_texture.h"

#include <cstdio>
#include <filesystem>
#include <new>
#include <vector>

#include "image_limits.h"
#include "image_pyramid.h"
#include "png_decode.h"
#include "texel_convert.h"

namespace {

using imageload::RgbaImage;

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
  if (error || size == 0 || size > imageload::kMaxFileBytes) return false;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  // One byte more than the cap catches a file that grew since file_size.
  bytes.resize(static_cast<std::size_t>(size) + 1);
  const std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
  if (got == 0 || got > imageload::kMaxFileBytes) return false;
  bytes.resize(got);
  return true;
}

HRESULT decodeResult(vk_png_result result) {
  return result == VK_PNG_OUT_OF_MEMORY ? E_OUTOFMEMORY : D3DXERR_INVALIDDATA;
}

HRESULT writeLevel(IDirect3DTexture9* texture, UINT level, const RgbaImage& texels,
                   vk_texel_format format) {
  D3DLOCKED_RECT locked{};
  const HRESULT hr = texture->LockRect(level, &locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  imageload::writeTexels(texels, format, static_cast<std::uint8_t*>(locked.pBits), locked.Pitch);
  return texture->UnlockRect(level);
}

// Owners for the two things a thrown bad_alloc must not leak.
struct DecodedImage {
  vk_png_image image{};
  ~DecodedImage() { vk_png_free(&image); }
};
struct TextureOwner {
  IDirect3DTexture9* texture = nullptr;
  ~TextureOwner() {
    if (texture != nullptr) texture->Release();
  }
};

HRESULT createTexture(IDirect3DDevice9* device, const std::vector<unsigned char>& file,
                      IDirect3DTexture9** out) {
  RgbaImage level;
  vk_texel_format format = VK_TEXEL_A8R8G8B8;
  {
    DecodedImage decoded;
    const vk_png_limits limits{imageload::kMaxSide, imageload::kMaxPixels};
    const vk_png_result result = vk_png_decode(file.data(), file.size(), &limits, &decoded.image);
    if (result != VK_PNG_OK) return decodeResult(result);
    const vk_png_image& image = decoded.image;
    const std::uint32_t width = imageload::powerOfTwoAtLeast(image.width);
    const std::uint32_t height = imageload::powerOfTwoAtLeast(image.height);
    if (std::uint64_t{width} * height > imageload::kMaxPixels) return D3DXERR_INVALIDDATA;
    if (!imageload::stretch(image.rgba, image.width, image.height, width, height, level)) {
      return E_OUTOFMEMORY;
    }
    format = image.format;
  }

  const UINT levels = imageload::mipLevelCount(level.width, level.height);
  TextureOwner owner;
  HRESULT hr = device->CreateTexture(level.width, level.height, levels, 0, d3dFormat(format),
                                     D3DPOOL_MANAGED, &owner.texture, nullptr);
  if (FAILED(hr)) {
    owner.texture = nullptr;
    return hr;
  }
  for (UINT i = 0; i < levels; ++i) {
    if (i > 0) level = imageload::halve(level);
    hr = writeLevel(owner.texture, i, level, format);
    if (FAILED(hr)) return hr;
  }
  *out = owner.texture;
  owner.texture = nullptr;
  return D3D_OK;
}

}  // namespace

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture) {
  if (texture == nullptr) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  if (device == nullptr || path == nullptr) return D3DERR_INVALIDCALL;
  try {
    std::vector<unsigned char> file;
    if (!readWholeFile(path, file)) return D3DERR_NOTFOUND;
    return createTexture(device, file, texture);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}
