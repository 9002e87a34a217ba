/* libpng reports errors by longjmp. Everything that lives across the setjmp
 * is plain C data reached through a pointer into the caller's frame, so the
 * jump skips no destructor and reads no clobbered local. */
#include "png_decode.h"

#include <png.h>
#include <setjmp.h>
#include <stdlib.h>
#include <string.h>

typedef struct reader {
  const unsigned char* data;
  size_t size;
  size_t pos;
} reader;

typedef struct decode_state {
  png_structp png;
  png_infop info;
  reader in;
  vk_png_limits limits;
  unsigned char* pixels;
  png_bytep* rows;
  uint32_t width;
  uint32_t height;
  vk_texel_format format;
  vk_png_result result; /* what a libpng error means at the current step */
} decode_state;

static void on_error(png_structp png, png_const_charp message) {
  (void)message;
  png_longjmp(png, 1);
}

static void on_warning(png_structp png, png_const_charp message) {
  (void)png;
  (void)message;
}

static void read_bytes(png_structp png, png_bytep out, png_size_t count) {
  reader* in = (reader*)png_get_io_ptr(png);
  if (count > in->size - in->pos) png_error(png, "file ends early");
  memcpy(out, in->data + in->pos, count);
  in->pos += count;
}

/* The bytes a 3-3-2 texel's fields stand for, by bit replication. */
static unsigned char expand3(unsigned v) { return (unsigned char)((v << 5) | (v << 2) | (v >> 1)); }
static unsigned char expand2(unsigned v) { return (unsigned char)(v * 0x55u); }

/* A palette whose entries present are exactly entry i = (i, i, i): its
 * indices are the grey levels, so L8 holds the image without loss. */
static int is_grey_ramp(const png_color* palette, int count) {
  for (int i = 0; i < count; ++i) {
    if (palette[i].red != i || palette[i].green != i || palette[i].blue != i) return 0;
  }
  return 1;
}

/* Likewise for entry i = the colour of R3G3B2 texel i. */
static int is_332_ramp(const png_color* palette, int count) {
  for (int i = 0; i < count; ++i) {
    unsigned u = (unsigned)i;
    if (palette[i].red != expand3(u >> 5) || palette[i].green != expand3((u >> 2) & 7u) ||
        palette[i].blue != expand2(u & 3u)) {
      return 0;
    }
  }
  return 1;
}

static vk_texel_format palette_format(png_structp png, png_infop info) {
  png_colorp palette = NULL;
  int count = 0;
  if (!png_get_PLTE(png, info, &palette, &count) || count <= 0) return VK_TEXEL_X8R8G8B8;
  png_bytep alpha = NULL;
  int alpha_count = 0;
  if (png_get_tRNS(png, info, &alpha, &alpha_count, NULL) && alpha != NULL) {
    for (int i = 0; i < alpha_count; ++i) {
      if (alpha[i] != 255) return VK_TEXEL_A8R8G8B8;
    }
  }
  /* The ramps only stand for opaque palettes: they have no alpha to keep. */
  if (is_grey_ramp(palette, count)) return VK_TEXEL_L8;
  if (is_332_ramp(palette, count)) return VK_TEXEL_R3G3B2;
  return VK_TEXEL_X8R8G8B8;
}

static vk_texel_format texel_format(png_structp png, png_infop info) {
  int has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  switch (png_get_color_type(png, info)) {
    case PNG_COLOR_TYPE_GRAY:
      return has_trns ? VK_TEXEL_A8L8 : VK_TEXEL_L8;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return VK_TEXEL_A8L8;
    case PNG_COLOR_TYPE_PALETTE:
      return palette_format(png, info);
    case PNG_COLOR_TYPE_RGB:
      return has_trns ? VK_TEXEL_A8R8G8B8 : VK_TEXEL_X8R8G8B8;
    default:
      return VK_TEXEL_A8R8G8B8;
  }
}

/* Every sample shape becomes 8-bit R G B A. */
static void request_rgba8(png_structp png, png_infop info) {
  int color_type = png_get_color_type(png, info);
  png_set_expand(png); /* palette to RGB, grey below 8 bits to 8, tRNS to alpha */
  if (png_get_bit_depth(png, info) == 16) png_set_scale_16(png);
  if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA) {
    png_set_gray_to_rgb(png);
  }
  if (!(color_type & PNG_COLOR_MASK_ALPHA) && !png_get_valid(png, info, PNG_INFO_tRNS)) {
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
  }
  /* libpng leaves the samples alone when 2.2 x file gamma is within 0.05 of 1. */
  double file_gamma = 0.0;
  if (png_get_valid(png, info, PNG_INFO_gAMA) && !png_get_valid(png, info, PNG_INFO_sRGB) &&
      png_get_gAMA(png, info, &file_gamma) && file_gamma > 0.0) {
    png_set_gamma(png, 2.2, file_gamma);
  }
  png_set_interlace_handling(png);
}

static int decode_with_jump(decode_state* s) {
  if (setjmp(png_jmpbuf(s->png))) return 0;

  png_set_read_fn(s->png, &s->in, read_bytes);
#ifdef VK_PNG_FUZZING
  /* Mutated inputs would almost never get past a CRC; the fuzzer wants the
   * decoding behind it. */
  png_set_crc_action(s->png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
#else
  /* A damaged chunk is a damaged file, ancillary or not. */
  png_set_crc_action(s->png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
#endif
  /* Nothing in png_read_info takes memory in proportion to the image, so the
   * size is checked below, before the first row buffer exists. */
  png_read_info(s->png, s->info);

  s->width = png_get_image_width(s->png, s->info);
  s->height = png_get_image_height(s->png, s->info);
  if (s->width == 0 || s->height == 0 || s->width > s->limits.max_side ||
      s->height > s->limits.max_side || (uint64_t)s->width * s->height > s->limits.max_pixels) {
    s->result = VK_PNG_TOO_LARGE;
    return 0;
  }
  s->format = texel_format(s->png, s->info);
  request_rgba8(s->png, s->info);
  png_read_update_info(s->png, s->info);
  size_t row_bytes = (size_t)s->width * 4u;
  if (png_get_rowbytes(s->png, s->info) != row_bytes) return 0;

  s->result = VK_PNG_OUT_OF_MEMORY;
  s->pixels = (unsigned char*)malloc(row_bytes * s->height);
  s->rows = (png_bytep*)malloc(sizeof(png_bytep) * s->height);
  if (s->pixels == NULL || s->rows == NULL) return 0;
  for (uint32_t y = 0; y < s->height; ++y) s->rows[y] = s->pixels + row_bytes * y;

  s->result = VK_PNG_CORRUPT;
  png_read_image(s->png, s->rows);
  /* Reading on to IEND checks the last chunks' CRCs and catches truncation. */
  png_read_end(s->png, s->info);
  return 1;
}

int vk_png_is_png(const unsigned char* data, size_t size) {
  return size >= 8 && png_sig_cmp((png_const_bytep)data, 0, 8) == 0;
}

vk_png_result vk_png_decode(const unsigned char* data, size_t size, const vk_png_limits* limits,
                            vk_png_image* out) {
  memset(out, 0, sizeof *out);
  if (!vk_png_is_png(data, size)) return VK_PNG_NOT_PNG;

  decode_state s;
  memset(&s, 0, sizeof s);
  s.in.data = data;
  s.in.size = size;
  s.limits = *limits;
  s.result = VK_PNG_CORRUPT;
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, NULL, on_error, on_warning);
  if (s.png != NULL) s.info = png_create_info_struct(s.png);
  if (s.png == NULL || s.info == NULL) {
    png_destroy_read_struct(&s.png, &s.info, NULL);
    return VK_PNG_OUT_OF_MEMORY;
  }

  int ok = decode_with_jump(&s);
  png_destroy_read_struct(&s.png, &s.info, NULL);
  free(s.rows);
  if (!ok) {
    free(s.pixels);
    return s.result;
  }
  out->width = s.width;
  out->height = s.height;
  out->format = s.format;
  out->rgba = s.pixels;
  return VK_PNG_OK;
}

void vk_png_free(vk_png_image* image) {
  free(image->rgba);
  image->rgba = NULL;
}
