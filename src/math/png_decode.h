/* PNG decoding for the texture loader: a PNG held in memory becomes 8-bit
 * RGBA rows plus the texel format the texture should get. Written in C so
 * that libpng's longjmp error path never crosses a C++ frame. */
#ifndef VORKAST_MATH_PNG_DECODE_H
#define VORKAST_MATH_PNG_DECODE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* What the file's pixels ask for; d3dx_texture maps these to D3DFORMATs. */
typedef enum vk_texel_format {
  VK_TEXEL_A8R8G8B8 = 0,
  VK_TEXEL_X8R8G8B8 = 1,
  VK_TEXEL_L8 = 2,
  VK_TEXEL_A8L8 = 3,
  VK_TEXEL_R3G3B2 = 4
} vk_texel_format;

typedef enum vk_png_result {
  VK_PNG_OK = 0,
  VK_PNG_NOT_PNG = 1,   /* no PNG signature */
  VK_PNG_TOO_LARGE = 2, /* refused before any pixel memory was taken */
  VK_PNG_CORRUPT = 3,   /* libpng reported an error: truncation, CRC, bad data */
  VK_PNG_OUT_OF_MEMORY = 4
} vk_png_result;

typedef struct vk_png_limits {
  uint32_t max_side;   /* widest and tallest image accepted */
  uint64_t max_pixels; /* width x height accepted */
} vk_png_limits;

typedef struct vk_png_image {
  uint32_t width;
  uint32_t height;
  vk_texel_format format;
  /* width x height x 4 bytes, R G B A, top row first; malloc'd, owned by the
   * image until vk_png_free. Null unless the decode succeeded. */
  unsigned char* rgba;
} vk_png_image;

/* True when the data starts with the PNG signature. */
int vk_png_is_png(const unsigned char* data, size_t size);

/* Decodes the whole file. On any result but VK_PNG_OK, out holds no pixels.
 * Never aborts and never prints. */
vk_png_result vk_png_decode(const unsigned char* data, size_t size, const vk_png_limits* limits,
                            vk_png_image* out);

void vk_png_free(vk_png_image* image);

#ifdef __cplusplus
}
#endif

#endif
