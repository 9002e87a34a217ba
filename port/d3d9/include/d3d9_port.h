// What the software device offers beyond Direct3D 9: a call trace for tests,
// the number of worker threads, faults that a test can ask for, and textures
// made around texels a loader prepared elsewhere. Of the show, only the
// picture loader uses this header; tests and tools do.
#pragma once

#include <d3d9.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace d3d9port {

// Call trace. While enabled, every call on the device (and on its buffers,
// textures and surfaces) appends one line, in call order. Lines are the
// call's name and its arguments, symbolic where Direct3D has a name:
//   SetRenderState(D3DRS_CULLMODE, 1)
//   SetTextureStageState(0, D3DTSS_COLOROP, 2)
//   SetSamplerState(1, D3DSAMP_ADDRESSU, 3)
//   SetTransform(D3DTS_TEXTURE1, [1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1])   (%g per element)
//   SetTexture(0, tex#3)          SetTexture(1, null)       (objects by creation number)
//   SetRenderTarget(0, surf#7)    SetFVF(0x102)             SetStreamSource(0, vb#2, 0, 20)
//   SetIndices(ib#4)              DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)
//   DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4941, 0, 9600)
//   Clear(0, null, 0x1, 0x00000000, 1, 0)   BeginScene()  EndScene()  Present()
//   CreateTexture(512, 512, 1, 0x1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT) -> tex#5
//   CreateVertexBuffer(80, 0x8, 0x102, D3DPOOL_MANAGED) -> vb#6
//   Lock(vb#6, 0, 80, 0x0)   Unlock(vb#6)   GetSurfaceLevel(tex#5, 0) -> surf#8
//   Release(tex#5) -> 0
// Numbers are decimal unless shown in hex above (flags, usage, FVF, colours).
void setTraceEnabled(bool enabled);
bool traceEnabled();
const std::vector<std::string>& traceLines();
void clearTrace();

// Worker threads used for drawing; 0 means one per core. The picture is the
// same bit for bit whatever the count.
void setThreadCount(int threads);
int threadCount();

// Draws with the plain per-pixel pipeline that the fast one is checked
// against, instead of the fast one. Both give the same picture bit for bit.
void setReferencePipeline(bool on);
bool referencePipeline();

// Lets the fast pipeline use 256-bit vectors (AVX2) where the CPU has them:
// on by default; off keeps it to SSE2. The same picture either way.
void setWideVectors(bool on);
bool wideVectors();

// Faults for tests of the callers' failure paths. Each counts down calls of
// its kind; the call that brings it to zero fails, later calls succeed again.
// A value of 0 means no fault.
struct Faults {
  bool createDeviceFails = false;     // IDirect3D9::CreateDevice returns D3DERR_NOTAVAILABLE
  bool noHardwareTransform = false;   // caps lack D3DDEVCAPS_HWTRANSFORMANDLIGHT
  bool displayModeFails = false;      // GetAdapterDisplayMode returns D3DERR_INVALIDCALL
  bool direct3DCreateFails = false;   // Direct3DCreate9 returns null
  int createTextureFailsAt = 0;       // n-th CreateTexture returns D3DERR_OUTOFVIDEOMEMORY
  int createVertexBufferFailsAt = 0;  // n-th CreateVertexBuffer returns D3DERR_OUTOFVIDEOMEMORY
};
void setFaults(const Faults& faults);
const Faults& faults();

// The device's limits, named once.
constexpr UINT kMaxTextureSize = 8192;
constexpr DWORD kMaxTextureStages = 8;
constexpr DWORD kMaxSamplers = 16;

// A block of texels from std::malloc, freed with std::free.
struct TexelsFree {
  void operator()(std::uint8_t* texels) const { std::free(texels); }
};
using Texels = std::unique_ptr<std::uint8_t, TexelsFree>;

// A managed texture of levels.size() levels, made around texels already laid
// out instead of copying them in: level i is max(width >> i, 1) by
// max(height >> i, 1) texels of `format`, rows packed without padding, one
// block each. The texture takes the blocks over (they are freed if it fails).
// Checks, faults and the trace line are CreateTexture's, with usage 0 and
// D3DPOOL_MANAGED: the texture is the one CreateTexture, locks and copies
// would have made. For loaders that prepare pictures off the device's thread.
HRESULT createTextureFrom(IDirect3DDevice9* device, UINT width, UINT height, D3DFORMAT format,
                          std::vector<Texels> levels, IDirect3DTexture9** texture);

// Copies the surface's pixels out as X8R8G8B8/A8R8G8B8 words (whatever its
// format), top row first; for tests and tools. Empty on failure.
std::vector<std::uint32_t> readPixels(IDirect3DSurface9* surface, UINT* width, UINT* height);

// The objects still alive on the device, by kind: for leak tests.
int liveObjectCount();

}  // namespace d3d9port
