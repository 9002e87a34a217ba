#include "state.h"

#include <bit>
#include <cstring>

namespace d3d9impl {

namespace {

DWORD floatBits(float value) { return std::bit_cast<DWORD>(value); }

}  // namespace

int transformSlot(D3DTRANSFORMSTATETYPE state) {
  switch (state) {
    case D3DTS_WORLD:
      return kWorld;
    case D3DTS_VIEW:
      return kView;
    case D3DTS_PROJECTION:
      return kProjection;
    default:
      if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
        return kTexture0 + static_cast<int>(state - D3DTS_TEXTURE0);
      }
      return -1;
  }
}

D3DMATRIX identityMatrix() {
  D3DMATRIX m;
  std::memset(&m, 0, sizeof m);
  m._11 = m._22 = m._33 = m._44 = 1.0f;
  return m;
}

void resetState(DeviceState* s, bool autoDepthStencil) {
  std::memset(s, 0, sizeof *s);
  DWORD* r = s->render;
  r[D3DRS_ZENABLE] = autoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
  r[D3DRS_FILLMODE] = 3;   // D3DFILL_SOLID
  r[D3DRS_SHADEMODE] = 2;  // D3DSHADE_GOURAUD
  r[D3DRS_ZWRITEENABLE] = TRUE;
  r[D3DRS_LASTPIXEL] = TRUE;
  r[D3DRS_SRCBLEND] = D3DBLEND_ONE;
  r[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
  r[D3DRS_CULLMODE] = D3DCULL_CCW;
  r[D3DRS_ZFUNC] = 4;           // D3DCMP_LESSEQUAL
  r[D3DRS_ALPHAFUNC] = 8;       // D3DCMP_ALWAYS
  r[35] = 0;                    // FOGTABLEMODE: NONE
  r[37] = floatBits(1.0f);      // FOGEND
  r[38] = floatBits(1.0f);      // FOGDENSITY
  r[53] = r[54] = r[55] = 1;    // STENCILFAIL, ZFAIL, PASS: KEEP
  r[56] = 8;                    // STENCILFUNC: ALWAYS
  r[58] = r[59] = 0xFFFFFFFFu;  // STENCILMASK, STENCILWRITEMASK
  r[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
  r[136] = TRUE;  // CLIPPING
  r[D3DRS_LIGHTING] = TRUE;
  r[D3DRS_COLORVERTEX] = TRUE;
  r[142] = TRUE;                       // LOCALVIEWER
  r[D3DRS_DIFFUSEMATERIALSOURCE] = 1;  // D3DMCS_COLOR1
  r[146] = 2;                          // SPECULARMATERIALSOURCE: D3DMCS_COLOR2
  r[154] = r[155] = floatBits(1.0f);   // POINTSIZE, POINTSIZE_MIN
  r[158] = floatBits(1.0f);            // POINTSCALE_A
  r[161] = TRUE;                       // MULTISAMPLEANTIALIAS
  r[162] = 0xFFFFFFFFu;                // MULTISAMPLEMASK
  r[166] = floatBits(64.0f);           // POINTSIZE_MAX
  r[D3DRS_COLORWRITEENABLE] = 0xF;
  r[D3DRS_BLENDOP] = 1;                   // D3DBLENDOP_ADD
  r[180] = r[181] = r[182] = r[183] = 0;  // tessellation
  r[186] = r[187] = r[188] = 1;           // CCW_STENCILFAIL, ZFAIL, PASS: KEEP
  r[189] = 8;                             // CCW_STENCILFUNC: ALWAYS
  r[190] = r[191] = r[192] = 0xF;         // COLORWRITEENABLE1..3
  r[193] = 0xFFFFFFFFu;                   // BLENDFACTOR
  r[207] = D3DBLEND_ONE;                  // SRCBLENDALPHA
  r[208] = D3DBLEND_ZERO;                 // DESTBLENDALPHA
  r[209] = 1;                             // BLENDOPALPHA: ADD

  for (DWORD i = 0; i < limits::kMaxTextureStages; ++i) {
    DWORD* t = s->stage[i];
    t[D3DTSS_COLOROP] = i == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    t[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    t[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    t[D3DTSS_ALPHAOP] = i == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    t[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    t[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    t[D3DTSS_TEXCOORDINDEX] = i;
    t[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
    t[26] = t[27] = D3DTA_CURRENT;  // COLORARG0, ALPHAARG0
    t[D3DTSS_RESULTARG] = D3DTA_CURRENT;
  }
  for (DWORD i = 0; i < limits::kMaxSamplers; ++i) {
    DWORD* m = s->sampler[i];
    m[D3DSAMP_ADDRESSU] = m[D3DSAMP_ADDRESSV] = m[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    m[D3DSAMP_MAGFILTER] = m[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    m[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    m[D3DSAMP_MAXANISOTROPY] = 1;
  }
  for (D3DMATRIX& m : s->transforms) m = identityMatrix();
}

}  // namespace d3d9impl
