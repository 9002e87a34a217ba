// Creation, locking, limits and reference counting of the device's objects.
#include <present_hook.h>

#include <algorithm>

#include "device_fixture.h"

namespace {

using ResourcesTest = DeviceTest;

TEST(Direct3DCreate, OnlyTheSdkVersionOf32) {
  EXPECT_EQ(Direct3DCreate9(31), nullptr);
  EXPECT_EQ(Direct3DCreate9(33), nullptr);
  IDirect3D9* d3d = Direct3DCreate9(32);
  ASSERT_NE(d3d, nullptr);
  EXPECT_EQ(d3d->GetAdapterCount(), 1u);
  D3DDISPLAYMODE mode{};
  EXPECT_EQ(d3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 1920u);
  EXPECT_EQ(mode.Height, 1080u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  EXPECT_EQ(d3d->GetAdapterDisplayMode(1, &mode), D3DERR_INVALIDCALL);
  D3DCAPS9 caps{};
  EXPECT_EQ(d3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps), D3D_OK);
  EXPECT_NE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
  EXPECT_EQ(caps.MaxTextureWidth, 8192u);
  EXPECT_EQ(caps.MaxTextureHeight, 8192u);
  EXPECT_EQ(d3d->Release(), 0u);
  EXPECT_EQ(d3d9port::liveObjectCount(), 0);
}

TEST(Direct3DCreate, FaultsSwitchOffWhatTheCallerChecks) {
  d3d9port::Faults faults;
  faults.direct3DCreateFails = true;
  d3d9port::setFaults(faults);
  EXPECT_EQ(Direct3DCreate9(32), nullptr);
  faults = {};
  faults.noHardwareTransform = true;
  faults.displayModeFails = true;
  faults.createDeviceFails = true;
  d3d9port::setFaults(faults);
  IDirect3D9* d3d = Direct3DCreate9(32);
  ASSERT_NE(d3d, nullptr);
  D3DCAPS9 caps{};
  d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
  EXPECT_EQ(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT, 0u);
  D3DDISPLAYMODE mode;
  EXPECT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3DERR_INVALIDCALL);
  D3DPRESENT_PARAMETERS pp{};
  IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(1);
  EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                              &device),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(device, nullptr);
  d3d9port::setFaults({});
  EXPECT_EQ(d3d->Release(), 0u);
}

TEST_F(ResourcesTest, BackBufferAndDepthFollowThePresentParameters) {
  IDirect3DSurface9* target = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &target), D3D_OK);
  D3DSURFACE_DESC desc;
  ASSERT_EQ(target->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 640u);
  EXPECT_EQ(desc.Height, 480u);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  IDirect3DSurface9* depth = nullptr;
  ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
  ASSERT_EQ(depth->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Format, D3DFMT_D24X8);
  EXPECT_EQ(desc.Width, 640u);
  D3DVIEWPORT9 vp;
  ASSERT_EQ(device->GetViewport(&vp), D3D_OK);
  EXPECT_EQ(vp.Width, 640u);
  EXPECT_EQ(vp.Height, 480u);
  target->Release();
  depth->Release();
}

TEST_F(ResourcesTest, TexturesHaveMipChainsInEveryFormat) {
  const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_L8, D3DFMT_A8L8,
                               D3DFMT_R3G3B2};
  for (D3DFORMAT format : formats) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(64, 16, 0, 0, format, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    ASSERT_EQ(texture->GetLevelCount(), 7u);  // 64x16, 32x8, 16x4, 8x2, 4x1, 2x1, 1x1
    D3DSURFACE_DESC desc;
    ASSERT_EQ(texture->GetLevelDesc(4, &desc), D3D_OK);
    EXPECT_EQ(desc.Width, 4u);
    EXPECT_EQ(desc.Height, 1u);
    EXPECT_EQ(desc.Format, format);
    EXPECT_EQ(texture->GetLevelDesc(7, &desc), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture->Release(), 0u);
  }
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(64, 16, 8, 0, D3DFMT_L8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(ResourcesTest, TexelFormatsReadBackAsArgb) {
  struct Case {
    D3DFORMAT format;
    std::vector<unsigned char> bytes;
    DWORD argb;
  };
  const Case cases[] = {
      {D3DFMT_X8R8G8B8, {0x10, 0x20, 0x30, 0x00}, 0xFF302010u},
      {D3DFMT_L8, {0x7F}, 0xFF7F7F7Fu},
      {D3DFMT_A8L8, {0x40, 0x80}, 0x80404040u},
      {D3DFMT_R3G3B2, {0xE0}, 0xFFFF0000u},  // red 7 -> 255
      {D3DFMT_R3G3B2, {0x49}, 0xFF494955u},  // 010 010 01: 2 -> 0x49, 1 -> 0x55
  };
  for (const Case& c : cases) {
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(device->CreateTexture(1, 1, 1, 0, c.format, D3DPOOL_MANAGED, &texture, nullptr),
              D3D_OK);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
    std::memcpy(locked.pBits, c.bytes.data(), c.bytes.size());
    texture->UnlockRect(0);
    IDirect3DSurface9* surface = nullptr;
    ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
    std::vector<std::uint32_t> pixels = d3d9port::readPixels(surface, nullptr, nullptr);
    ASSERT_EQ(pixels.size(), 1u);
    EXPECT_EQ(pixels[0], c.argb) << "format " << c.format;
    surface->Release();
    EXPECT_EQ(texture->Release(), 0u);
  }
}

TEST_F(ResourcesTest, LimitsAreRefusedNotCrashed) {
  IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(1);
  EXPECT_EQ(
      device->CreateTexture(16384, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
      D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(device->CreateTexture(0, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(16, 16, 1, 0, D3DFMT_D24X8, D3DPOOL_MANAGED, &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_L8, D3DPOOL_DEFAULT,
                                  &texture, nullptr),
            D3DERR_INVALIDCALL);
  IDirect3DVertexBuffer9* vb = nullptr;
  EXPECT_EQ(device->CreateVertexBuffer(0, 0, 0x102, D3DPOOL_MANAGED, &vb, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->CreateVertexBuffer(0xFFFFFFFFu, 0, 0x102, D3DPOOL_MANAGED, &vb, nullptr),
            D3DERR_INVALIDCALL);
  IDirect3DSurface9* surface = nullptr;
  EXPECT_EQ(device->CreateDepthStencilSurface(9000, 10, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                              &surface, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(d3d9port::liveObjectCount(), 4);  // d3d, device, back buffer, depth
}

TEST_F(ResourcesTest, CountedFaultsFailExactlyTheNthCall) {
  d3d9port::Faults faults;
  faults.createTextureFailsAt = 2;
  faults.createVertexBufferFailsAt = 1;
  d3d9port::setFaults(faults);
  IDirect3DTexture9* textures[3] = {};
  EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &textures[0], nullptr),
            D3D_OK);
  EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &textures[1], nullptr),
            D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_L8, D3DPOOL_MANAGED, &textures[2], nullptr),
            D3D_OK);
  IDirect3DVertexBuffer9* vb = nullptr;
  EXPECT_EQ(device->CreateVertexBuffer(80, 0, 0x102, D3DPOOL_MANAGED, &vb, nullptr),
            D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(device->CreateVertexBuffer(80, 0, 0x102, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  vb->Release();
  textures[0]->Release();
  textures[2]->Release();
}

TEST_F(ResourcesTest, LockChecksRangesAndDiscardGivesFreshMemory) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(96, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x142,
                                       D3DPOOL_DEFAULT, &vb, nullptr),
            D3D_OK);
  void* first = nullptr;
  ASSERT_EQ(vb->Lock(0, 0, &first, 0), D3D_OK);
  std::memset(first, 0xAB, 96);
  ASSERT_EQ(vb->Unlock(), D3D_OK);
  void* again = nullptr;
  ASSERT_EQ(vb->Lock(0, 96, &again, 0), D3D_OK);  // no discard: the same contents
  EXPECT_EQ(static_cast<unsigned char*>(again)[95], 0xAB);
  vb->Unlock();
  void* fresh = nullptr;
  ASSERT_EQ(vb->Lock(0, 96, &fresh, D3DLOCK_DISCARD), D3D_OK);
  EXPECT_NE(fresh, first);
  vb->Unlock();
  void* tail = nullptr;
  EXPECT_EQ(vb->Lock(90, 0, &tail, 0), D3D_OK);  // size 0: to the end
  EXPECT_EQ(static_cast<char*>(tail) - static_cast<char*>(fresh), 90);
  vb->Unlock();
  EXPECT_EQ(vb->Lock(90, 7, &tail, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(97, 0, &tail, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Lock(0xFFFFFFF0u, 0x20, &tail, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(vb->Unlock(), D3DERR_INVALIDCALL);
  vb->Release();
}

// A buffer refilled with DISCARD every frame gets its blocks back in turn;
// each must come zeroed, with nothing of an earlier fill, and a lock without
// DISCARD must still see the latest fill.
TEST_F(ResourcesTest, DiscardAfterDiscardGivesZeroedMemoryEveryTime) {
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(96, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY, 0x142,
                                       D3DPOOL_DEFAULT, &vb, nullptr),
            D3D_OK);
  void* previous = nullptr;
  for (int fill = 1; fill <= 4; ++fill) {
    void* data = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &data, D3DLOCK_DISCARD), D3D_OK);
    EXPECT_NE(data, previous) << "fill " << fill;
    const auto* bytes = static_cast<const unsigned char*>(data);
    EXPECT_EQ(std::count(bytes, bytes + 96, 0), 96) << "fill " << fill;
    std::memset(data, 0x10 * fill, 96);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    void* again = nullptr;
    ASSERT_EQ(vb->Lock(0, 0, &again, 0), D3D_OK);
    EXPECT_EQ(again, data);
    EXPECT_EQ(static_cast<unsigned char*>(again)[95], 0x10 * fill);
    ASSERT_EQ(vb->Unlock(), D3D_OK);
    previous = data;
  }
  vb->Release();
}

TEST_F(ResourcesTest, TextureLockRectPointsAtTheRectangle) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);
  D3DLOCKED_RECT whole, part;
  ASSERT_EQ(texture->LockRect(0, &whole, nullptr, 0), D3D_OK);
  EXPECT_EQ(whole.Pitch, 32);
  EXPECT_EQ(texture->LockRect(0, &part, nullptr, 0), D3DERR_INVALIDCALL);  // already locked
  texture->UnlockRect(0);
  RECT rect{2, 3, 4, 5};
  ASSERT_EQ(texture->LockRect(0, &part, &rect, 0), D3D_OK);
  EXPECT_EQ(static_cast<char*>(part.pBits) - static_cast<char*>(whole.pBits), 3 * 32 + 2 * 4);
  texture->UnlockRect(0);
  RECT outside{0, 0, 9, 1};
  EXPECT_EQ(texture->LockRect(0, &part, &outside, 0), D3DERR_INVALIDCALL);
  texture->Release();
}

TEST_F(ResourcesTest, ReferencesFollowDirect3D) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                  D3DPOOL_DEFAULT, &texture, nullptr),
            D3D_OK);
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &level), D3D_OK);
  IDirect3DSurface9* same = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &same), D3D_OK);
  EXPECT_EQ(level, same);  // one surface per level; its count is the texture's
  EXPECT_EQ(texture->AddRef(), 4u);
  EXPECT_EQ(texture->Release(), 3u);
  EXPECT_EQ(same->Release(), 2u);

  // The device holds what is bound: the texture outlives the caller's references.
  ASSERT_EQ(device->SetRenderTarget(0, level), D3D_OK);
  ASSERT_EQ(device->SetTexture(0, texture), D3D_OK);
  const int live = d3d9port::liveObjectCount();
  EXPECT_EQ(level->Release(), 3u);
  EXPECT_EQ(texture->Release(), 2u);  // texture stage + render target remain
  EXPECT_EQ(d3d9port::liveObjectCount(), live);
  IDirect3DSurface9* current = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &current), D3D_OK);  // a new reference
  EXPECT_EQ(current, level);
  current->Release();
  D3DVIEWPORT9 vp;
  device->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 512u);
  ASSERT_EQ(device->SetTexture(0, nullptr), D3D_OK);
  IDirect3DSurface9* back = nullptr;
  ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
  ASSERT_EQ(device->SetRenderTarget(0, back), D3D_OK);  // releases the texture's last reference
  EXPECT_EQ(d3d9port::liveObjectCount(), live - 2);     // the texture and its level surface
  device->GetViewport(&vp);
  EXPECT_EQ(vp.Width, 640u);
  back->Release();
  EXPECT_EQ(device->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(ResourcesTest, ReleasingTheDeviceLetsGoOfBoundObjects) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);
  IDirect3DVertexBuffer9* vb = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(80, 0, 0x102, D3DPOOL_MANAGED, &vb, nullptr), D3D_OK);
  IDirect3DSurface9* depth = nullptr;
  ASSERT_EQ(device->CreateDepthStencilSurface(640, 512, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                              &depth, nullptr),
            D3D_OK);
  device->SetTexture(3, texture);
  device->SetStreamSource(0, vb, 0, 20);
  device->SetDepthStencilSurface(depth);
  texture->Release();
  vb->Release();
  depth->Release();
  EXPECT_EQ(device->Release(), 0u);
  device = nullptr;
  EXPECT_EQ(d3d9port::liveObjectCount(), 1);  // only the Direct3D object
}

TEST_F(ResourcesTest, ClearFillsTheViewportAndPresentHandsOverTheBackBuffer) {
  std::vector<std::uint32_t> seen;
  int frames = 0;
  const int id = port::addFrameListener([&](const port::Frame& frame) {
    ++frames;
    seen.assign(frame.pixels, frame.pixels + frame.pitchPixels * frame.height);
    EXPECT_EQ(frame.width, 640);
    EXPECT_EQ(frame.height, 480);
  });
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00123456, 1.0f, 0), D3D_OK);
  D3DVIEWPORT9 vp{10, 20, 30, 40, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&vp), D3D_OK);
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x00FF0000, 0.5f, 0),
            D3D_OK);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_STENCIL, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  port::removeFrameListener(id);
  ASSERT_EQ(frames, 1);
  EXPECT_EQ(seen[0], 0xFF123456u);  // X8R8G8B8 keeps the unused byte at 0xFF
  EXPECT_EQ(seen[20 * 640 + 10], 0xFFFF0000u);
  EXPECT_EQ(seen[59 * 640 + 39], 0xFFFF0000u);
  EXPECT_EQ(seen[60 * 640 + 39], 0xFF123456u);
  EXPECT_EQ(seen[59 * 640 + 40], 0xFF123456u);
  EXPECT_EQ(seen[19 * 640 + 10], 0xFF123456u);
  vp = {600, 0, 41, 10, 0.0f, 1.0f};
  EXPECT_EQ(device->SetViewport(&vp), D3DERR_INVALIDCALL);  // past the right edge
  EXPECT_EQ(device->BeginScene(), D3D_OK);
  EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->EndScene(), D3D_OK);
  EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
}

}  // namespace
