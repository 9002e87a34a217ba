#include "triangle_setup.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "rounding.h"
#include "texture.h"

namespace d3d9impl {

namespace {

constexpr double kSubpixel = 1 << limits::kSubpixelBits;

// The plane through three values at three screen points.
Plane planeThrough(const double x[3], const double y[3], double a0, double a1, double a2) {
  const double det = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
  Plane p;
  p.ax = ((a1 - a0) * (y[2] - y[0]) - (a2 - a0) * (y[1] - y[0])) / det;
  p.ay = ((a2 - a0) * (x[1] - x[0]) - (a1 - a0) * (x[2] - x[0])) / det;
  p.a0 = a0 - p.ax * x[0] - p.ay * y[0];
  return p;
}

// max(hypot(ax, ay), hypot(bx, by)), with one hypot where the squares
// already tell which is longer: far enough apart that their roundings cannot
// turn the order round. Near ties, and infinities or NaNs, take both.
double longerStep(double ax, double ay, double bx, double by) {
  constexpr double kApart = 1.0 + 1e-9;
  const double a = ax * ax + ay * ay, b = bx * bx + by * by;
  if (a > b * kApart) return std::hypot(ax, ay);
  if (b > a * kApart) return std::hypot(bx, by);
  return std::max(std::hypot(ax, ay), std::hypot(bx, by));
}

// Level of detail from the screen-space derivatives of (u W, v H) at level 0,
// then the levels and the blend weight that the filters ask for.
void chooseLevels(const StagePlan& stage, const Triangle& t, double cx, double cy, StageSetup* s) {
  const Image& base = stage.texture->level(0);
  double dudx = s->u.ax, dudy = s->u.ay, dvdx = s->v.ax, dvdy = s->v.ay;
  if (!t.affine) {  // derivatives of (u/w) / (1/w) at the triangle's centre
    const double q = t.invW.at(cx, cy), pu = s->u.at(cx, cy), pv = s->v.at(cx, cy);
    dudx = (s->u.ax * q - pu * t.invW.ax) / (q * q);
    dudy = (s->u.ay * q - pu * t.invW.ay) / (q * q);
    dvdx = (s->v.ax * q - pv * t.invW.ax) / (q * q);
    dvdy = (s->v.ay * q - pv * t.invW.ay) / (q * q);
  }
  const double w = base.width(), h = base.height();
  const double rho = longerStep(dudx * w, dvdx * h, dudy * w, dvdy * h);
  const double lod = (rho > 0 ? std::log2(rho) : -64.0) + stage.sampler.lodBias;
  // 8 fractional bits, as the blend weight between levels has.
  const std::int64_t fixedLod = roundToInt64(std::clamp(lod, -64.0, 64.0) * 256.0);
  const SamplerPlan& sp = stage.sampler;
  const int first = static_cast<int>(sp.firstLevel);
  const int last = static_cast<int>(stage.texture->levelCount()) - 1;
  s->linear = (fixedLod > 0 ? sp.minFilter : sp.magFilter) == D3DTEXF_LINEAR;
  s->level0 = first;
  s->level1 = -1;
  s->mipWeight = 0;
  if (fixedLod <= 0 || sp.mipFilter == D3DTEXF_NONE) return;
  if (sp.mipFilter == D3DTEXF_POINT) {
    s->level0 = std::min(last, first + static_cast<int>((fixedLod + 128) >> 8));
    return;
  }
  const int whole = static_cast<int>(fixedLod >> 8);
  s->level0 = std::min(last, first + whole);
  const int weight = static_cast<int>(fixedLod & 255);
  if (s->level0 < last && weight > 0) {
    s->level1 = s->level0 + 1;
    s->mipWeight = weight;
  }
}

}  // namespace

ScreenPoint toScreen(const D3DVIEWPORT9& vp, const ProcessedVertex& v) {
  ScreenPoint p;
  p.inv = 1.0 / v.clip[3];
  p.fx = roundToInt64((vp.X + (v.clip[0] * p.inv + 1.0) * vp.Width * 0.5) * kSubpixel);
  p.fy = roundToInt64((vp.Y + (1.0 - v.clip[1] * p.inv) * vp.Height * 0.5) * kSubpixel);
  p.x = static_cast<double>(p.fx) / kSubpixel;  // planes from the snapped positions
  p.y = static_cast<double>(p.fy) / kSubpixel;
  return p;
}

bool setupTriangle(const DrawPlan& plan, const ProcessedVertex* const v[3],
                   const ScreenPoint* const p[3], Triangle* t) {
  const D3DVIEWPORT9& vp = plan.viewport;
  double sx[3], sy[3], inv[3];
  std::int64_t fx[3], fy[3];
  for (int i = 0; i < 3; ++i) {
    inv[i] = p[i]->inv;
    fx[i] = p[i]->fx;
    fy[i] = p[i]->fy;
    sx[i] = p[i]->x;
    sy[i] = p[i]->y;
  }
  // Positive area: clockwise on the screen (y grows downwards).
  const std::int64_t area = (fx[1] - fx[0]) * (fy[2] - fy[0]) - (fx[2] - fx[0]) * (fy[1] - fy[0]);
  if (area == 0) return false;
  if ((plan.cull == D3DCULL_CCW && area < 0) || (plan.cull == D3DCULL_CW && area > 0)) return false;
  int order[3] = {0, 1, 2};
  if (area < 0) std::swap(order[1], order[2]);
  for (int e = 0; e < 3; ++e) {
    const int a = order[e], b = order[(e + 1) % 3];
    Edge& edge = t->edges[e];
    edge.dx = fx[b] - fx[a];
    edge.dy = fy[b] - fy[a];
    edge.x0 = fx[a];
    edge.y0 = fy[a];
    const bool top = edge.dy == 0 && edge.dx > 0;
    const bool left = edge.dy < 0;
    edge.bias = (top || left) ? 0 : 1;
  }
  const std::int64_t minFx = std::min({fx[0], fx[1], fx[2]}),
                     maxFx = std::max({fx[0], fx[1], fx[2]});
  const std::int64_t minFy = std::min({fy[0], fy[1], fy[2]}),
                     maxFy = std::max({fy[0], fy[1], fy[2]});
  // Whole pixels: floor and ceiling of 1/256ths are arithmetic shifts.
  t->minX = static_cast<int>(std::max<std::int64_t>(-(-minFx >> 8), vp.X));
  t->maxX = static_cast<int>(std::min<std::int64_t>(maxFx >> 8, vp.X + vp.Width - 1));
  t->minY = static_cast<int>(std::max<std::int64_t>(-(-minFy >> 8), vp.Y));
  t->maxY = static_cast<int>(std::min<std::int64_t>(maxFy >> 8, vp.Y + vp.Height - 1));
  if (t->minX > t->maxX || t->minY > t->maxY) return false;

  t->affine = v[0]->clip[3] == v[1]->clip[3] && v[1]->clip[3] == v[2]->clip[3];
  const double k[3] = {t->affine ? 1.0 : inv[0], t->affine ? 1.0 : inv[1],
                       t->affine ? 1.0 : inv[2]};
  // An affine triangle's 1/w is read nowhere.
  t->invW = t->affine ? Plane{1.0, 0.0, 0.0} : planeThrough(sx, sy, k[0], k[1], k[2]);
  // Compared as bits: channels equal only as numbers (0 and -0) take the
  // planes, which give the same colour.
  t->flatColour = std::memcmp(v[0]->colour, v[1]->colour, sizeof v[0]->colour) == 0 &&
                  std::memcmp(v[1]->colour, v[2]->colour, sizeof v[0]->colour) == 0;
  // The colour planes are read only where the colour varies.
  for (int c = 0; c < 4 && !t->flatColour; ++c) {
    t->colour[c] = planeThrough(sx, sy, v[0]->colour[c] * k[0], v[1]->colour[c] * k[1],
                                v[2]->colour[c] * k[2]);
  }
  t->flat = (static_cast<DWORD>(v[0]->colour[0]) << 24) |
            (static_cast<DWORD>(v[0]->colour[1]) << 16) |
            (static_cast<DWORD>(v[0]->colour[2]) << 8) | static_cast<DWORD>(v[0]->colour[3]);
  // The centre, where a perspective triangle's level of detail is found.
  const double cx = t->affine ? 0.0 : (sx[0] + sx[1] + sx[2]) / 3.0;
  const double cy = t->affine ? 0.0 : (sy[0] + sy[1] + sy[2]) / 3.0;
  for (int s = 0; s < plan.stageCount; ++s) {
    if (plan.stages[s].texture == nullptr) continue;
    StageSetup& st = t->stages[s];
    st.u = planeThrough(sx, sy, v[0]->tex[s][0] * k[0], v[1]->tex[s][0] * k[1],
                        v[2]->tex[s][0] * k[2]);
    st.v = planeThrough(sx, sy, v[0]->tex[s][1] * k[0], v[1]->tex[s][1] * k[1],
                        v[2]->tex[s][1] * k[2]);
    chooseLevels(plan.stages[s], *t, cx, cy, &st);
  }
  return true;
}

bool rowSpan(const Triangle& t, int y, int* x0, int* x1) {
  std::int64_t lo = t.minX, hi = t.maxX;  // inclusive
  const std::int64_t py = std::int64_t{y} * 256;
  for (const Edge& e : t.edges) {
    // E(x) = c - dy * 256 x with c = dx (py - y0) + dy x0.
    const std::int64_t c = e.dx * (py - e.y0) + e.dy * e.x0;
    if (e.dy < 0) {
      lo = std::max(lo, ceilDiv(e.bias - c, -e.dy * 256));
    } else if (e.dy > 0) {
      hi = std::min(hi, floorDiv(c - e.bias, e.dy * 256));
    } else if (c < e.bias) {
      return false;
    }
  }
  if (lo > hi) return false;
  *x0 = static_cast<int>(lo);
  *x1 = static_cast<int>(hi) + 1;
  return true;
}

}  // namespace d3d9impl
