#include "clipper.h"

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

bool inside(const ProcessedVertex& v, float gx, float gy) {
  for (int p = 0; p < kPlanes; ++p) {
    if (!(distance(v, p, gx, gy) >= 0.0f)) return false;
  }
  return v.clip[3] > 0.0f;
}

}  // namespace

bool insideAll(const ProcessedVertex& a, const ProcessedVertex& b, const ProcessedVertex& c,
               float gx, float gy) {
  return inside(a, gx, gy) && inside(b, gx, gy) && inside(c, gx, gy);
}

void clipTriangle(const ProcessedVertex& a, const ProcessedVertex& b, const ProcessedVertex& c,
                  float gx, float gy, int stages, std::vector<ProcessedVertex>* out) {
  std::vector<ProcessedVertex> polygon = {a, b, c};
  std::vector<ProcessedVertex> next;
  for (int p = 0; p < kPlanes && !polygon.empty(); ++p) {
    next.clear();
    for (std::size_t i = 0; i < polygon.size(); ++i) {
      const ProcessedVertex& from = polygon[i];
      const ProcessedVertex& to = polygon[(i + 1) % polygon.size()];
      const float df = distance(from, p, gx, gy);
      const float dt = distance(to, p, gx, gy);
      if (df >= 0.0f) next.push_back(from);
      if ((df >= 0.0f) != (dt >= 0.0f)) next.push_back(lerp(from, to, df / (df - dt), stages));
    }
    polygon.swap(next);
  }
  // z >= 0 and z <= w leave w >= 0; a vertex at w = 0 cannot be projected.
  for (const ProcessedVertex& v : polygon) {
    if (!(v.clip[3] > 0.0f)) {
      polygon.clear();
      break;
    }
  }
  *out = std::move(polygon);
}

}  // namespace d3d9impl
