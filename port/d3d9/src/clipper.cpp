#include "clipper.h"

#include <algorithm>
#include <utility>

namespace d3d9impl {

namespace {

// Signed distances to the planes; inside where >= 0.
constexpr int kPlanes = 6;
float distance(const ProcessedVertex& v, int plane, float gx, float gy) {
  const float x = v.clip[0], y = v.clip[1], z = v.clip[2], w = v.clip[3];
  switch (plane) {
    case 0:
      return z;
    case 1:
      return w - z;
    case 2:
      return gx * w - x;
    case 3:
      return gx * w + x;
    case 4:
      return gy * w - y;
    default:
      return gy * w + y;
  }
}

}  // namespace

bool inside(const ProcessedVertex& v, float gx, float gy) {
  for (int p = 0; p < kPlanes; ++p) {
    if (!(distance(v, p, gx, gy) >= 0.0f)) return false;
  }
  return v.clip[3] > 0.0f;
}

void clipTriangle(const ProcessedVertex& a, const ProcessedVertex& b, const ProcessedVertex& c,
                  float gx, float gy, int stages, ClippedPolygon* out) {
  ClippedPolygon other;
  ClippedPolygon* polygon = out;
  ClippedPolygon* next = &other;
  polygon->vertices[0] = a;
  polygon->vertices[1] = b;
  polygon->vertices[2] = c;
  polygon->count = 3;
  for (int p = 0; p < kPlanes && polygon->count > 0; ++p) {
    next->count = 0;
    for (int i = 0; i < polygon->count; ++i) {
      const ProcessedVertex& from = polygon->vertices[i];
      const ProcessedVertex& to = polygon->vertices[(i + 1) % polygon->count];
      const float df = distance(from, p, gx, gy);
      const float dt = distance(to, p, gx, gy);
      if (df >= 0.0f) next->vertices[next->count++] = from;
      if ((df >= 0.0f) != (dt >= 0.0f)) {
        next->vertices[next->count++] = lerp(from, to, df / (df - dt), stages);
      }
    }
    std::swap(polygon, next);
  }
  // z >= 0 and z <= w leave w >= 0; a vertex at w = 0 cannot be projected.
  for (int i = 0; i < polygon->count; ++i) {
    if (!(polygon->vertices[i].clip[3] > 0.0f)) {
      polygon->count = 0;
      break;
    }
  }
  if (polygon != out) {
    std::copy_n(polygon->vertices, polygon->count, out->vertices);
    out->count = polygon->count;
  }
}

}  // namespace d3d9impl
