#include "image_pyramid.h"

#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STB_IMAGE_RESIZE_STATIC
#include <emmintrin.h>
#include <stb/stb_image_resize.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

namespace imageload {
namespace {

// The loader only ever enlarges (or keeps) a side, and stb_image_resize's
// general code spends most of its time on bookkeeping around a handful of
// float operations per sample. The path below does those same operations,
// on the same values and in the same order, four channels at a time: the
// weights are stb's own (its filter set-up is called directly), products
// are summed from zero in stb's tap order, and the float steps (divide by
// 255, premultiply with its alpha epsilon, divide back, clamp, scale,
// round half up) are each a single IEEE operation like stb's. Without FMA
// contraction (see CMakeLists.txt) the bytes come out identical to stb's.

constexpr stbir_filter kFilter = STBIR_FILTER_TRIANGLE;

// A weight in all four lanes, ready to multiply a texel.
struct Spread {
  __m128 lanes;
};

// One axis: for each output sample the input samples it reads (clamped to
// the image, as STBIR_EDGE_CLAMP does) and their weights. An axis whose size
// stays the same copies its samples: stb's weights for it are a single 1.
struct AxisTaps {
  bool identity = false;
  int stride = 0;              // weights per output sample
  std::vector<int> count;      // taps of each output sample
  std::vector<int> index;      // stride entries per output sample
  std::vector<Spread> spread;  // likewise
};

// False where stb would not take its upsampling path, or where one sample
// has more taps than stb keeps room for (its weights would then overlap the
// next sample's); stb itself handles those.
bool axisTaps(int in, int out, AxisTaps& taps) {
  if (in == out) {
    taps.identity = true;
    return true;
  }
  stbir__info info{};
  stbir__setup(&info, in, 1, out, 1, 4);
  stbir__calculate_transform(&info, 0, 0, 1, 1, nullptr);
  const float scale = info.horizontal_scale;
  if (!stbir__use_upsampling(scale)) return false;
  const int stride = stbir__get_coefficient_width(kFilter, scale);
  const int samples = stbir__get_contributors(scale, kFilter, in, out);
  if (samples != out) return false;
  std::vector<stbir__contributors> spans(static_cast<std::size_t>(samples));
  // One spare group: stb may write one weight past a sample's own before
  // trimming it away, as it does into the next group.
  std::vector<float> weights(static_cast<std::size_t>(samples + 1) * stride, 0.0f);
  stbir__calculate_filters(spans.data(), weights.data(), kFilter, scale, info.horizontal_shift, in,
                           out);
  taps.stride = stride;
  taps.count.resize(static_cast<std::size_t>(out));
  taps.index.resize(static_cast<std::size_t>(out) * stride);
  taps.spread.resize(static_cast<std::size_t>(out) * stride, Spread{_mm_setzero_ps()});
  for (int x = 0; x < out; ++x) {
    const int n = spans[x].n1 - spans[x].n0 + 1;
    if (n < 1 || n > stride) return false;
    taps.count[x] = n;
    for (int j = 0; j < n; ++j) {
      const std::size_t at = static_cast<std::size_t>(x) * stride + j;
      taps.index[at] = std::clamp(spans[x].n0 + j, 0, in - 1);
      taps.spread[at] = Spread{_mm_set1_ps(weights[at])};
    }
  }
  return true;
}

// stb's byte / 255 for every byte, divided once here rather than per sample.
const float* byteValues() {
  static const auto table = [] {
    std::array<float, 256> values{};
    for (int i = 0; i < 256; ++i) values[i] = static_cast<float>(i) / stbir__max_uint8_as_float;
    return values;
  }();
  return table.data();
}

// stb's decode: byte / 255, alpha plus its epsilon, colour times that alpha.
void decodeRow(const std::uint8_t* src, std::uint32_t width, float* out) {
  const float* value = byteValues();
  const __m128 epsilon = _mm_setr_ps(0, 0, 0, STBIR_ALPHA_EPSILON);
  const __m128 colourMask = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
  for (std::uint32_t x = 0; x < width; ++x, src += 4, out += 4) {
    const __m128 v = _mm_add_ps(
        _mm_setr_ps(value[src[0]], value[src[1]], value[src[2]], value[src[3]]), epsilon);
    const __m128 alpha = _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3));
    const __m128 colour = _mm_mul_ps(v, alpha);
    _mm_storeu_ps(out, _mm_or_ps(_mm_and_ps(colourMask, colour), _mm_andnot_ps(colourMask, v)));
  }
}

// sum = 0; sum += sample * weight for each tap, in order.
void resampleRow(const float* in, const AxisTaps& taps, std::uint32_t width, float* out) {
  const int* index = taps.index.data();
  const Spread* weight = taps.spread.data();
  for (std::uint32_t x = 0; x < width; ++x, out += 4, index += taps.stride, weight += taps.stride) {
    const int n = taps.count[x];
    __m128 sum =
        _mm_add_ps(_mm_setzero_ps(),
                   _mm_mul_ps(_mm_loadu_ps(in + std::size_t{4} * index[0]), weight[0].lanes));
    if (n == 2) {
      sum = _mm_add_ps(sum,
                       _mm_mul_ps(_mm_loadu_ps(in + std::size_t{4} * index[1]), weight[1].lanes));
    } else {
      for (int j = 1; j < n; ++j) {
        sum = _mm_add_ps(sum,
                         _mm_mul_ps(_mm_loadu_ps(in + std::size_t{4} * index[j]), weight[j].lanes));
      }
    }
    _mm_storeu_ps(out, sum);
  }
}

// stb's encode of one channel value: clamped to [0, 1], times 255, rounded
// half up as (int)(f + 0.5) in double does. f is below 256, so its integer
// part and fraction are exact in float. max first: a NaN becomes 0, as
// stb's (unsigned char)(int)NaN does.
__m128i toByte(__m128 v) {
  const __m128 f = _mm_mul_ps(_mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(1.0f)),
                              _mm_set1_ps(stbir__max_uint8_as_float));
  const __m128i whole = _mm_cvttps_epi32(f);
  const __m128 fraction = _mm_sub_ps(f, _mm_cvtepi32_ps(whole));
  // The comparison's all-ones lanes are -1: subtracting adds one.
  return _mm_sub_epi32(whole, _mm_castps_si128(_mm_cmpge_ps(fraction, _mm_set1_ps(0.5f))));
}

// 1 / alpha, or 0 where alpha is 0, as stb takes it.
__m128 reciprocalOf(__m128 alpha) {
  return _mm_and_ps(_mm_cmpneq_ps(alpha, _mm_setzero_ps()), _mm_div_ps(_mm_set1_ps(1.0f), alpha));
}

// stb's encode of one texel: colour over alpha, then each channel a byte.
void encodeTexel(__m128 v, std::uint8_t* out) {
  const __m128 colourMask = _mm_castsi128_ps(_mm_setr_epi32(-1, -1, -1, 0));
  const __m128 reciprocal = reciprocalOf(_mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3)));
  const __m128 straight =
      _mm_or_ps(_mm_and_ps(colourMask, _mm_mul_ps(v, reciprocal)), _mm_andnot_ps(colourMask, v));
  const __m128i words = _mm_packs_epi32(toByte(straight), toByte(straight));
  const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
  std::memcpy(out, &packed, 4);
}

// The same for four texels, channel by channel: one division for four
// alphas, and the bytes put back in R G B A order for one store.
void encodeTexels4(__m128 t0, __m128 t1, __m128 t2, __m128 t3, std::uint8_t* out) {
  _MM_TRANSPOSE4_PS(t0, t1, t2, t3);  // now red, green, blue, alpha
  const __m128 reciprocal = reciprocalOf(t3);
  const __m128i r = toByte(_mm_mul_ps(t0, reciprocal));
  const __m128i g = toByte(_mm_mul_ps(t1, reciprocal));
  const __m128i b = toByte(_mm_mul_ps(t2, reciprocal));
  const __m128i a = toByte(t3);
  // Bytes r0..r3 b0..b3 g0..g3 a0..a3, then interleaved twice.
  const __m128i planes = _mm_packus_epi16(_mm_packs_epi32(r, b), _mm_packs_epi32(g, a));
  const __m128i pairs = _mm_unpacklo_epi8(planes, _mm_srli_si128(planes, 8));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                   _mm_unpacklo_epi16(pairs, _mm_srli_si128(pairs, 8)));
}

void encodeRow(const float* in, std::uint32_t width, std::uint8_t* out) {
  std::uint32_t x = 0;
  for (; x + 4 <= width; x += 4, in += 16, out += 16) {
    encodeTexels4(_mm_loadu_ps(in), _mm_loadu_ps(in + 4), _mm_loadu_ps(in + 8),
                  _mm_loadu_ps(in + 12), out);
  }
  for (; x < width; ++x, in += 4, out += 4) encodeTexel(_mm_loadu_ps(in), out);
}

// One output row from the rows its taps name: sum = 0, sum += row * weight
// in order, then encoded, four texels at a time.
void blendRows(const float* const* rows, const Spread* weights, int n, std::uint32_t width,
               std::uint8_t* out) {
  auto texel = [&](std::size_t at) {
    __m128 sum = _mm_setzero_ps();
    for (int j = 0; j < n; ++j)
      sum = _mm_add_ps(sum, _mm_mul_ps(_mm_loadu_ps(rows[j] + at), weights[j].lanes));
    return sum;
  };
  std::uint32_t x = 0;
  for (; x + 4 <= width; x += 4, out += 16) {
    const std::size_t at = std::size_t{x} * 4;
    encodeTexels4(texel(at), texel(at + 4), texel(at + 8), texel(at + 12), out);
  }
  for (; x < width; ++x, out += 4) encodeTexel(texel(std::size_t{x} * 4), out);
}

// Horizontally resampled input rows, computed once each: output rows read
// the few rows their taps name, in increasing order.
class RowCache {
 public:
  RowCache(const std::uint8_t* rgba, std::uint32_t imageWidth, const AxisTaps& across,
           std::uint32_t width, int slots)
      : rgba_(rgba),
        imageWidth_(imageWidth),
        across_(across),
        width_(width),
        slots_(slots),
        tags_(static_cast<std::size_t>(slots), -1),
        rows_(static_cast<std::size_t>(slots) * width * 4),
        decoded_(across.identity ? 0 : std::size_t{imageWidth} * 4) {}

  const float* row(int y) {
    const std::size_t slot = static_cast<std::size_t>(y % slots_);
    float* row = rows_.data() + slot * width_ * 4;
    if (tags_[slot] != y) {
      const std::uint8_t* src = rgba_ + std::size_t{imageWidth_} * 4 * static_cast<std::size_t>(y);
      if (across_.identity) {
        decodeRow(src, imageWidth_, row);
      } else {
        decodeRow(src, imageWidth_, decoded_.data());
        resampleRow(decoded_.data(), across_, width_, row);
      }
      tags_[slot] = y;
    }
    return row;
  }

 private:
  const std::uint8_t* rgba_;
  std::uint32_t imageWidth_;
  const AxisTaps& across_;
  std::uint32_t width_;
  int slots_;
  std::vector<int> tags_;
  std::vector<float> rows_;
  std::vector<float> decoded_;
};

void stretchExactly(const std::uint8_t* rgba, std::uint32_t imageWidth, const AxisTaps& across,
                    const AxisTaps& down, RgbaImage& out) {
  const int slots = down.identity ? 1 : down.stride + 1;
  RowCache rows(rgba, imageWidth, across, out.width, slots);
  const float* sources[8];
  for (std::uint32_t y = 0; y < out.height; ++y) {
    std::uint8_t* dst = out.pixels.data() + std::size_t{out.width} * 4 * y;
    if (down.identity) {
      encodeRow(rows.row(static_cast<int>(y)), out.width, dst);
      continue;
    }
    const std::size_t group = static_cast<std::size_t>(y) * down.stride;
    const int n = down.count[y];
    for (int j = 0; j < n; ++j) sources[j] = rows.row(down.index[group + j]);
    blendRows(sources, down.spread.data() + group, n, out.width, dst);
  }
}

bool stretchWithStb(const std::uint8_t* rgba, std::uint32_t imageWidth, std::uint32_t imageHeight,
                    RgbaImage& out) {
  // Linear colour space: texels are filtered as the stored numbers, the way
  // the fixed-function sampler will treat them later.
  return stbir_resize_uint8_generic(
             rgba, static_cast<int>(imageWidth), static_cast<int>(imageHeight), 0,
             out.pixels.data(), static_cast<int>(out.width), static_cast<int>(out.height), 0, 4, 3,
             0, STBIR_EDGE_CLAMP, kFilter, STBIR_COLORSPACE_LINEAR, nullptr) != 0;
}

bool startLevel(std::uint32_t width, std::uint32_t height, RgbaImage& out) {
  try {
    out.width = width;
    out.height = height;
    out.pixels.assign(std::size_t{width} * height * 4, 0);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The 2 x 2 means of two rows, four texels at a time in 16-bit lanes:
// (sum + 2) / 4 exactly as the scalar loop. Returns how many it wrote.
std::uint32_t halveRow(const std::uint8_t* row0, const std::uint8_t* row1, std::uint32_t width,
                       std::uint8_t* dst) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i two = _mm_set1_epi16(2);
  // Even texels of 4 to the low half, odd to the high, widened: their sum is
  // the pairs' sums, two texels in eight lanes.
  auto pairSums = [zero](const std::uint8_t* p) {
    const __m128i v = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                                        _MM_SHUFFLE(3, 1, 2, 0));
    return _mm_add_epi16(_mm_unpacklo_epi8(v, zero), _mm_unpackhi_epi8(v, zero));
  };
  std::uint32_t x = 0;
  for (; x + 4 <= width; x += 4, row0 += 32, row1 += 32, dst += 16) {
    const __m128i left = _mm_add_epi16(_mm_add_epi16(pairSums(row0), pairSums(row1)), two);
    const __m128i right =
        _mm_add_epi16(_mm_add_epi16(pairSums(row0 + 16), pairSums(row1 + 16)), two);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst),
                     _mm_packus_epi16(_mm_srli_epi16(left, 2), _mm_srli_epi16(right, 2)));
  }
  return x;
}

}  // namespace

std::uint32_t powerOfTwoAtLeast(std::uint32_t n) {
  std::uint32_t size = 1;
  while (size < n) size *= 2;
  return size;
}

std::uint32_t mipLevelCount(std::uint32_t width, std::uint32_t height) {
  std::uint32_t levels = 1;
  while (width > 1 || height > 1) {
    width = std::max(width / 2, 1u);
    height = std::max(height / 2, 1u);
    ++levels;
  }
  return levels;
}

bool stretch(const std::uint8_t* rgba, std::uint32_t imageWidth, std::uint32_t imageHeight,
             std::uint32_t width, std::uint32_t height, RgbaImage& out) {
  if (!startLevel(width, height, out)) return false;
  if (width == imageWidth && height == imageHeight) {
    std::memcpy(out.pixels.data(), rgba, out.pixels.size());
    return true;
  }
  try {
    AxisTaps across;
    AxisTaps down;
    if (axisTaps(static_cast<int>(imageWidth), static_cast<int>(width), across) &&
        axisTaps(static_cast<int>(imageHeight), static_cast<int>(height), down) &&
        (down.identity || down.stride <= 8)) {
      stretchExactly(rgba, imageWidth, across, down, out);
      return true;
    }
  } catch (const std::bad_alloc&) {
    return false;
  }
  return stretchWithStb(rgba, imageWidth, imageHeight, out);
}

bool stretchReference(const std::uint8_t* rgba, std::uint32_t imageWidth, std::uint32_t imageHeight,
                      std::uint32_t width, std::uint32_t height, RgbaImage& out) {
  if (!startLevel(width, height, out)) return false;
  if (width == imageWidth && height == imageHeight) {
    std::memcpy(out.pixels.data(), rgba, out.pixels.size());
    return true;
  }
  return stretchWithStb(rgba, imageWidth, imageHeight, out);
}

RgbaImage halve(const RgbaImage& level) {
  RgbaImage next;
  next.width = std::max(level.width / 2, 1u);
  next.height = std::max(level.height / 2, 1u);
  next.pixels.resize(std::size_t{next.width} * next.height * 4);
  // A side that is already 1 reads its one row or column twice.
  const std::uint32_t dx = level.width > 1 ? 1 : 0;
  const std::uint32_t dy = level.height > 1 ? 1 : 0;
  const std::size_t srcPitch = std::size_t{level.width} * 4;
  for (std::uint32_t y = 0; y < next.height; ++y) {
    const std::uint8_t* row0 = level.pixels.data() + srcPitch * (y * 2);
    const std::uint8_t* row1 = row0 + srcPitch * dy;
    std::uint8_t* dst = next.pixels.data() + std::size_t{next.width} * 4 * y;
    const std::uint32_t done = dx == 1 ? halveRow(row0, row1, next.width, dst) : 0;
    for (std::uint32_t x = done; x < next.width; ++x) {
      const std::size_t a = std::size_t{x} * 2 * 4;
      const std::size_t b = a + dx * 4;
      for (int c = 0; c < 4; ++c) {
        const unsigned sum = row0[a + c] + row0[b + c] + row1[a + c] + row1[b + c];
        dst[x * 4 + c] = static_cast<std::uint8_t>((sum + 2) / 4);
      }
    }
  }
  return next;
}

}  // namespace imageload
