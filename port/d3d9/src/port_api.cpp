// The test and tool extension of d3d9_port.h that is not the trace.
#include <d3d9_port.h>

#include <thread>

#include "device.h"
#include "device_limits.h"
#include "faults.h"
#include "format.h"
#include "object.h"
#include "surface.h"

namespace {

d3d9port::Faults g_faults;
int g_threads = 0;
bool g_reference = false;
bool g_wide = true;

bool countDown(int& counter) {
  if (counter <= 0) return false;
  return --counter == 0;
}

}  // namespace

namespace d3d9impl {

const d3d9port::Faults& activeFaults() { return g_faults; }
bool failThisCreateTexture() { return countDown(g_faults.createTextureFailsAt); }
bool failThisCreateVertexBuffer() { return countDown(g_faults.createVertexBufferFailsAt); }

}  // namespace d3d9impl

namespace d3d9port {

HRESULT createTextureFrom(IDirect3DDevice9* device, UINT width, UINT height, D3DFORMAT format,
                          std::vector<Texels> levels, IDirect3DTexture9** texture) {
  auto* ours = dynamic_cast<d3d9impl::Device*>(device);
  if (ours == nullptr) {
    if (texture != nullptr) *texture = nullptr;
    return D3DERR_INVALIDCALL;
  }
  return ours->createTextureFrom(width, height, format, std::move(levels), texture);
}

void setFaults(const Faults& faults) { g_faults = faults; }
const Faults& faults() { return g_faults; }

void setThreadCount(int threads) {
  g_threads = threads < 0 ? 0
                          : (threads > d3d9impl::limits::kMaxThreads ? d3d9impl::limits::kMaxThreads
                                                                     : threads);
}

int threadCount() {
  if (g_threads > 0) return g_threads;
  const unsigned cores = std::thread::hardware_concurrency();
  if (cores == 0) return 1;
  return cores > static_cast<unsigned>(d3d9impl::limits::kMaxThreads)
             ? d3d9impl::limits::kMaxThreads
             : static_cast<int>(cores);
}

void setReferencePipeline(bool on) { g_reference = on; }
bool referencePipeline() { return g_reference; }

void setWideVectors(bool on) { g_wide = on; }
bool wideVectors() { return g_wide; }

std::vector<std::uint32_t> readPixels(IDirect3DSurface9* surface, UINT* width, UINT* height) {
  auto* ours = dynamic_cast<d3d9impl::Surface*>(surface);
  if (ours == nullptr) return {};
  const d3d9impl::Image& image = ours->image();
  std::vector<std::uint32_t> pixels;
  pixels.reserve(std::size_t{image.width()} * image.height());
  for (UINT y = 0; y < image.height(); ++y) {
    const std::uint8_t* row = image.row(y);
    for (UINT x = 0; x < image.width(); ++x) {
      const std::uint8_t* p = row + x * image.bytesPerPixel();
      if (image.format() == D3DFMT_D24X8) {
        pixels.push_back(0xFF000000u | (d3d9impl::decodeTexel(D3DFMT_A8R8G8B8, p) & 0xFFFFFFu));
      } else {
        pixels.push_back(d3d9impl::decodeTexel(image.format(), p));
      }
    }
  }
  if (width != nullptr) *width = image.width();
  if (height != nullptr) *height = image.height();
  return pixels;
}

int liveObjectCount() { return d3d9impl::liveObjects(); }

}  // namespace d3d9port
