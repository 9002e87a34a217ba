// Render targets and the frame bracket, by the calls they make on the device
// and by the picture that reaches the back buffer.
#include "resources/render_to_texture.h"

#include "device_fixture.h"
#include "platform/d3dwindow.h"

namespace {

class RenderTarget : public DeviceTest {};

TEST_F(RenderTarget, SquareTargetIsOneLevelOfA8R8G8B8InTheDefaultPool) {
  d3d9port::setTraceEnabled(true);
  Texture target;
  testing::internal::CaptureStdout();
  EXPECT_TRUE(target.createRenderTarget(256));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  ASSERT_NE(target.texture, nullptr);
  ASSERT_NE(target.surface, nullptr);
  EXPECT_EQ(
      trace().at(0).rfind("CreateTexture(256, 256, 1, 0x1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT)", 0),
      0u);
  EXPECT_EQ(target.texture->GetLevelCount(), 1u);
  D3DSURFACE_DESC desc{};
  target.surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 256u);
  EXPECT_EQ(desc.Height, 256u);
  EXPECT_EQ(desc.Usage, D3DUSAGE_RENDERTARGET);

  Texture wide;
  wide.createRenderTarget(64, 32);
  wide.surface->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 64u);
  EXPECT_EQ(desc.Height, 32u);
}

TEST_F(RenderTarget, RefusedTargetPrintsItsSizeAndStaysEmpty) {
  d3d9port::Faults faults;
  faults.createTextureFailsAt = 1;
  d3d9port::setFaults(faults);
  Texture target;
  testing::internal::CaptureStdout();
  EXPECT_TRUE(target.createRenderTarget(512));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loading Rendertarget, 512x512\n");
  EXPECT_EQ(target.texture, nullptr);
  EXPECT_EQ(target.surface, nullptr);

  Texture wide;
  d3d9port::setFaults(faults);
  testing::internal::CaptureStdout();
  wide.createRenderTarget(128, 64);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Loading Rendertarget, 128x64\n");
}

TEST_F(RenderTarget, ConstructionAndDestructionInOrder) {
  d3d9port::setTraceEnabled(true);
  testing::internal::CaptureStdout();
  auto* frame = new render_to_texture();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "render_to_texture is up and running free\n");
  const auto built = trace();
  ASSERT_GE(built.size(), 6u);
  const std::string vb = lastResult("CreateVertexBuffer(");
  const std::string back = lastResult("GetRenderTarget(");
  const std::string tex = lastResult("CreateTexture(");
  const std::string surf = lastResult("GetSurfaceLevel(");
  EXPECT_EQ(built[0], "CreateVertexBuffer(80, 0x0, 0x102, D3DPOOL_MANAGED) -> " + vb);
  EXPECT_EQ(built[1].rfind("Lock(" + vb + ", 0, 80, 0x0)", 0), 0u) << built[1];
  EXPECT_EQ(built[2], "Unlock(" + vb + ")");
  EXPECT_EQ(built[3].rfind("GetRenderTarget(0", 0), 0u) << built[3];
  EXPECT_EQ(built[4],
            "CreateTexture(512, 512, 1, 0x1, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT) -> " + tex);
  EXPECT_EQ(built[5].rfind("GetSurfaceLevel(" + tex + ", 0)", 0), 0u) << built[5];
  EXPECT_EQ(frame->target.surface != nullptr, true);
  EXPECT_NE(frame->backBuffer, nullptr);

  d3d9port::clearTrace();
  testing::internal::CaptureStdout();
  delete frame;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "render_to_texture goes to bed\n");
  const auto gone = trace();
  ASSERT_EQ(gone.size(), 4u);
  EXPECT_EQ(gone[0].rfind("Release(" + vb + ")", 0), 0u) << gone[0];
  EXPECT_EQ(gone[1].rfind("Release(" + back + ")", 0), 0u) << gone[1];
  EXPECT_EQ(gone[2].rfind("Release(" + tex + ")", 0), 0u) << gone[2];
  EXPECT_EQ(gone[3].rfind("Release(" + surf + ")", 0), 0u) << gone[3];
  EXPECT_EQ(d3d9port::liveObjectCount(), liveBefore);
}

TEST_F(RenderTarget, FrameBracketCalls) {
  d3d9port::setTraceEnabled(true);
  testing::internal::CaptureStdout();
  render_to_texture frame;
  testing::internal::GetCapturedStdout();
  const std::string surf = lastResult("GetSurfaceLevel(");
  d3d9port::clearTrace();
  frame.beginFrame();
  EXPECT_EQ(trace(), (std::vector<std::string>{"BeginScene()", "SetRenderTarget(0, " + surf + ")",
                                               "Clear(0, null, 0x1, 0x00000000, 1, 0)"}));
  d3d9port::setTraceEnabled(false);
  IDirect3DSurface9* back = nullptr;
  g_device->GetRenderTarget(0, &back);
  ASSERT_NE(back, nullptr);
  back->Release();
  d3d9port::setTraceEnabled(true);
  d3d9port::clearTrace();
  frame.endFrame();
  const std::string identity = "[1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1]";
  const auto lines = trace();
  ASSERT_EQ(lines.size(), 20u);
  const std::vector<std::string> expected = {
      "SetRenderState(D3DRS_CULLMODE, 1)",
      "SetRenderState(D3DRS_LIGHTING, 0)",
      "SetRenderState(D3DRS_ZENABLE, 0)",
      "SetRenderState(D3DRS_ALPHABLENDENABLE, 0)",
      "SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0)",
      "SetTextureStageState(0, D3DTSS_COLOROP, 2)",
      "SetTextureStageState(0, D3DTSS_COLORARG1, 2)",
      "SetTextureStageState(0, D3DTSS_ALPHAOP, 2)",
      "SetTextureStageState(0, D3DTSS_ALPHAARG1, 2)",
      "SetTextureStageState(1, D3DTSS_COLOROP, 1)",
      "SetTransform(D3DTS_WORLD, " + identity + ")",
      "SetTransform(D3DTS_VIEW, " + identity + ")",
      "SetTransform(D3DTS_PROJECTION, " + identity + ")",
  };
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(lines[i], expected[i]) << i;
  EXPECT_EQ(lines[13].rfind("SetRenderTarget(0, surf#", 0), 0u) << lines[13];
  EXPECT_NE(lines[13], "SetRenderTarget(0, " + surf + ")") << "the back buffer, not the target";
  EXPECT_EQ(lines[14].rfind("SetTexture(0, tex#", 0), 0u) << lines[14];
  EXPECT_EQ(lines[15], "SetFVF(0x102)");
  EXPECT_EQ(lines[16].rfind("SetStreamSource(0, vb#", 0), 0u) << lines[16];
  EXPECT_EQ(lines[16].substr(lines[16].size() - 8), ", 0, 20)");
  EXPECT_EQ(lines[17], "DrawPrimitive(D3DPT_TRIANGLEFAN, 0, 2)");
  EXPECT_EQ(lines[18], "EndScene()");
  EXPECT_EQ(lines[19], "Present()");
}

TEST_F(RenderTarget, SetTargetRefetchesLevelZeroAndMakesItCurrent) {
  IDirect3DSurface9* back = nullptr;
  g_device->GetRenderTarget(0, &back);
  d3d9port::setTraceEnabled(true);
  Texture other;
  other.createRenderTarget(128);
  IDirect3DSurface9* before = other.surface;
  const std::string tex = lastResult("CreateTexture(");
  d3d9port::clearTrace();
  render_to_texture::setTarget(&other);
  const auto lines = trace();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].rfind("Release(surf#", 0), 0u) << lines[0];
  EXPECT_EQ(lines[1].rfind("GetSurfaceLevel(" + tex + ", 0) -> surf#", 0), 0u) << lines[1];
  EXPECT_EQ(lines[2], "SetRenderTarget(0, " + lastResult("GetSurfaceLevel(") + ")");
  EXPECT_EQ(other.surface, before) << "the same surface again";
  g_device->SetRenderTarget(0, back);  // the device lets go of other's surface
  back->Release();
  other.release();
  EXPECT_EQ(d3d9port::liveObjectCount(), liveBefore) << "exactly one reference was held";
}

TEST_F(RenderTarget, MissingTargetOrQuadIsNeverTouched) {
  d3d9port::Faults faults;
  faults.createTextureFailsAt = 1;
  faults.createVertexBufferFailsAt = 1;
  d3d9port::setFaults(faults);
  d3d9port::setTraceEnabled(true);
  testing::internal::CaptureStdout();
  {
    render_to_texture frame;
    EXPECT_EQ(frame.quad, nullptr);
    EXPECT_EQ(frame.target.texture, nullptr);
    for (const auto& line : trace()) EXPECT_EQ(line.rfind("Lock(", 0), std::string::npos) << line;

    d3d9port::clearTrace();
    frame.beginFrame();
    frame.endFrame();
    render_to_texture::setTarget(&frame.target);
    Texture empty;
    render_to_texture::setTarget(&empty);
    int targets = 0;
    for (const auto& line : trace()) {
      EXPECT_EQ(line.rfind("DrawPrimitive", 0), std::string::npos) << line;
      EXPECT_EQ(line.find("SetRenderTarget(0, null"), std::string::npos) << line;
      if (line.rfind("SetRenderTarget(", 0) == 0) ++targets;
    }
    EXPECT_EQ(targets, 1) << "only endFrame's back buffer";
  }
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Loading Rendertarget, 512x512\nrender_to_texture is up and running free\n"
            "render_to_texture goes to bed\n");
}

TEST_F(RenderTarget, TheWindowShowsTheTargetStretched) {
  testing::internal::CaptureStdout();
  render_to_texture frame;
  testing::internal::GetCapturedStdout();
  g_device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  g_device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);

  // Drawing nothing leaves a black frame.
  frame.beginFrame();
  frame.endFrame();
  UINT w = 0, h = 0;
  auto pixels = d3d9port::readPixels(frame.backBuffer, &w, &h);
  ASSERT_EQ(w, 640u);
  ASSERT_EQ(h, 480u);
  for (std::uint32_t p : {pixels[0], pixels[640 * 240 + 320], pixels.back()}) {
    EXPECT_EQ(p & 0xFFFFFF, 0u);
  }

  // What goes into the target reaches the window, whatever was current.
  Texture side;
  side.createRenderTarget(128);
  frame.beginFrame();
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(200, 40, 10), 1.0f, 0);
  render_to_texture::setTarget(&side);
  g_device->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_XRGB(0, 0, 255), 1.0f, 0);
  frame.endFrame();
  pixels = d3d9port::readPixels(frame.backBuffer, &w, &h);
  for (std::uint32_t p : {pixels[0], pixels[640 * 240 + 320], pixels.back()}) {
    EXPECT_EQ(p & 0xFFFFFF, 0xC8280Au);
  }
}

}  // namespace
