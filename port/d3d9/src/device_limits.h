// Every limit of the software device, named once. A request beyond one of
// these fails with D3DERR_INVALIDCALL instead of being attempted.
#pragma once

#include <d3d9_port.h>

#include <bit>
#include <cstdint>

namespace d3d9impl::limits {

// Largest texture or surface side; what GetDeviceCaps reports.
constexpr UINT kMaxTextureSize = d3d9port::kMaxTextureSize;
// Mip levels of the largest texture's full chain.
constexpr int kMaxLevels = std::bit_width(kMaxTextureSize);
// Texture stages the fixed-function combiner runs (D3D9's eight).
constexpr DWORD kMaxTextureStages = d3d9port::kMaxTextureStages;
// Samplers that state can be set for (pixel samplers only).
constexpr DWORD kMaxSamplers = d3d9port::kMaxSamplers;
// Largest render-state number that Direct3D 9 defines (D3DRS_BLENDOPALPHA).
constexpr DWORD kMaxRenderState = 209;
// Largest texture-stage-state number (D3DTSS_CONSTANT).
constexpr DWORD kMaxStageState = 32;
// Largest sampler-state number (D3DSAMP_DMAPOFFSET).
constexpr DWORD kMaxSamplerState = 13;
// Largest buffer: vertex and index buffers are addressed with 32-bit sizes.
constexpr UINT kMaxBufferBytes = 1u << 30;
// Primitives and vertex indices a single draw may use (as a D3D9 caps report).
constexpr UINT kMaxPrimitiveCount = 0x00FFFFFF;
constexpr UINT kMaxVertexIndex = 0x00FFFFFF;
// One stream of vertices, as the fixed-function FVF path needs.
constexpr UINT kMaxStreams = 1;
// Largest vertex stride accepted by SetStreamSource.
constexpr UINT kMaxStride = 512;
// Subpixel bits of snapped screen positions (D3D9 hardware uses 8).
constexpr int kSubpixelBits = 8;
// How far outside the viewport (in pixels) vertices are snapped without
// clipping; larger triangles are clipped against this band first, which
// keeps the edge arithmetic inside 64 bits.
constexpr float kGuardBand = 32768.0f;
// Worker threads the device uses at most.
constexpr int kMaxThreads = 64;
// Rows of one band: the unit of work handed to a thread. Bands are fixed, so
// the picture does not depend on the thread count.
constexpr int kBandRows = 32;

}  // namespace d3d9impl::limits
