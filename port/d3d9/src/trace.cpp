#include "trace.h"

#include <cstdio>
#include <vector>

#include "object.h"

namespace {

bool g_enabled = false;
std::vector<std::string> g_lines;

struct Name {
  DWORD value;
  const char* name;
};

std::string lookup(const Name* names, std::size_t count, DWORD value) {
  for (std::size_t i = 0; i < count; ++i) {
    if (names[i].value == value) return names[i].name;
  }
  return std::to_string(value);
}

#define N(x) \
  { x, #x }
constexpr Name kRenderStates[] = {
    N(D3DRS_ZENABLE),
    N(D3DRS_FILLMODE),
    N(D3DRS_SHADEMODE),
    N(D3DRS_ZWRITEENABLE),
    N(D3DRS_ALPHATESTENABLE),
    N(D3DRS_LASTPIXEL),
    N(D3DRS_SRCBLEND),
    N(D3DRS_DESTBLEND),
    N(D3DRS_CULLMODE),
    N(D3DRS_ZFUNC),
    N(D3DRS_ALPHAREF),
    N(D3DRS_ALPHAFUNC),
    N(D3DRS_DITHERENABLE),
    N(D3DRS_ALPHABLENDENABLE),
    N(D3DRS_FOGENABLE),
    N(D3DRS_SPECULARENABLE),
    N(D3DRS_TEXTUREFACTOR),
    N(D3DRS_LIGHTING),
    N(D3DRS_AMBIENT),
    N(D3DRS_COLORVERTEX),
    N(D3DRS_DIFFUSEMATERIALSOURCE),
    N(D3DRS_AMBIENTMATERIALSOURCE),
    N(D3DRS_COLORWRITEENABLE),
    N(D3DRS_BLENDOP),
};
constexpr Name kStageStates[] = {
    N(D3DTSS_COLOROP),       N(D3DTSS_COLORARG1),
    N(D3DTSS_COLORARG2),     N(D3DTSS_ALPHAOP),
    N(D3DTSS_ALPHAARG1),     N(D3DTSS_ALPHAARG2),
    N(D3DTSS_TEXCOORDINDEX), N(D3DTSS_TEXTURETRANSFORMFLAGS),
    N(D3DTSS_RESULTARG),
};
constexpr Name kSamplerStates[] = {
    N(D3DSAMP_ADDRESSU),      N(D3DSAMP_ADDRESSV),      N(D3DSAMP_ADDRESSW),
    N(D3DSAMP_BORDERCOLOR),   N(D3DSAMP_MAGFILTER),     N(D3DSAMP_MINFILTER),
    N(D3DSAMP_MIPFILTER),     N(D3DSAMP_MIPMAPLODBIAS), N(D3DSAMP_MAXMIPLEVEL),
    N(D3DSAMP_MAXANISOTROPY),
};
constexpr Name kTransforms[] = {
    N(D3DTS_VIEW),     N(D3DTS_PROJECTION), N(D3DTS_TEXTURE0), N(D3DTS_TEXTURE1),
    N(D3DTS_TEXTURE2), N(D3DTS_TEXTURE3),   N(D3DTS_TEXTURE4), N(D3DTS_TEXTURE5),
    N(D3DTS_TEXTURE6), N(D3DTS_TEXTURE7),   N(D3DTS_WORLD),
};
constexpr Name kPrimitives[] = {
    N(D3DPT_POINTLIST),    N(D3DPT_LINELIST),      N(D3DPT_LINESTRIP),
    N(D3DPT_TRIANGLELIST), N(D3DPT_TRIANGLESTRIP), N(D3DPT_TRIANGLEFAN),
};
constexpr Name kFormats[] = {
    N(D3DFMT_UNKNOWN), N(D3DFMT_A8R8G8B8), N(D3DFMT_X8R8G8B8), N(D3DFMT_R3G3B2),  N(D3DFMT_L8),
    N(D3DFMT_A8L8),    N(D3DFMT_D24X8),    N(D3DFMT_INDEX16),  N(D3DFMT_INDEX32),
};
constexpr Name kPools[] = {
    N(D3DPOOL_DEFAULT),
    N(D3DPOOL_MANAGED),
    N(D3DPOOL_SYSTEMMEM),
    N(D3DPOOL_SCRATCH),
};
#undef N

template <std::size_t n>
std::string lookup(const Name (&names)[n], DWORD value) {
  return lookup(names, n, value);
}

}  // namespace

namespace d3d9impl {

bool tracing() { return g_enabled; }

void traceLine(std::string line) {
  if (g_enabled) g_lines.push_back(std::move(line));
}

std::string renderStateName(D3DRENDERSTATETYPE s) { return lookup(kRenderStates, s); }
std::string stageStateName(D3DTEXTURESTAGESTATETYPE t) { return lookup(kStageStates, t); }
std::string samplerStateName(D3DSAMPLERSTATETYPE t) { return lookup(kSamplerStates, t); }
std::string transformName(D3DTRANSFORMSTATETYPE s) { return lookup(kTransforms, s); }
std::string primitiveName(D3DPRIMITIVETYPE t) { return lookup(kPrimitives, t); }
std::string formatName(D3DFORMAT f) { return lookup(kFormats, f); }
std::string poolName(D3DPOOL p) { return lookup(kPools, p); }

std::string hex(DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(value));
  return text;
}

std::string colourText(D3DCOLOR value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", static_cast<unsigned>(value));
  return text;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string matrixText(const D3DMATRIX* matrix) {
  if (matrix == nullptr) return "null";
  std::string text = "[";
  for (int i = 0; i < 16; ++i) {
    if (i > 0) text += ' ';
    text += number(matrix->m[i / 4][i % 4]);
  }
  return text + "]";
}

std::string objectName(IUnknown* object) {
  if (object == nullptr) return "null";
  const auto* tracked = dynamic_cast<const Tracked*>(object);
  return tracked != nullptr ? tracked->name() : std::string("foreign");
}

}  // namespace d3d9impl

namespace d3d9port {

void setTraceEnabled(bool enabled) { g_enabled = enabled; }
bool traceEnabled() { return g_enabled; }
const std::vector<std::string>& traceLines() { return g_lines; }
void clearTrace() { g_lines.clear(); }

}  // namespace d3d9port
