// D3DWindow: the window, the device's fixed settings, the pump, and the
// failure paths of start-up.
#include "platform/d3dwindow.h"

#include <d3d9_port.h>
#include <gtest/gtest.h>
#include <win32_port.h>

#include <string>

namespace {

class D3DWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    win32port::resetForTests();
    d3d9port::setFaults({});
    win32port::setMessageBoxHandler([](const char*, const char*) { return IDOK; });
  }
  void TearDown() override {
    if (g_device != nullptr) {
      g_device->Release();
      g_device = nullptr;
    }
    g_hwnd = nullptr;
    d3d9port::setFaults({});
    win32port::resetForTests();
  }
};

TEST_F(D3DWindowTest, FullScreenWindowAndDeviceAsTheShowBuildsThem) {
  ::testing::internal::CaptureStdout();
  {
    D3DWindow window(640, 480, true, "Vorkast05");
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "happy device\n");
    ASSERT_NE(g_device, nullptr);
    ASSERT_NE(g_hwnd, nullptr);
    auto records = win32port::windows();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].className, "Vorkast05");
    EXPECT_EQ(records[0].title, "Vorkast05");
    EXPECT_EQ(records[0].style, 0x90000000u);
    EXPECT_EQ(records[0].exStyle, 0u);
    EXPECT_EQ(records[0].x, 0);
    EXPECT_EQ(records[0].y, 0);
    EXPECT_EQ(records[0].width, 640);
    EXPECT_EQ(records[0].height, 480);

    for (DWORD stage = 0; stage < 8; ++stage) {
      for (D3DSAMPLERSTATETYPE type : {D3DSAMP_MAGFILTER, D3DSAMP_MINFILTER, D3DSAMP_MIPFILTER}) {
        DWORD value = 99;
        g_device->GetSamplerState(stage, type, &value);
        DWORD expected =
            stage < 7 ? DWORD{D3DTEXF_LINEAR}
                      : (type == D3DSAMP_MIPFILTER ? DWORD{D3DTEXF_NONE} : DWORD{D3DTEXF_POINT});
        EXPECT_EQ(value, expected) << "stage " << stage << " state " << type;
      }
    }

    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(g_device->GetDepthStencilSurface(&depth), D3D_OK);
    ASSERT_NE(depth, nullptr);
    D3DSURFACE_DESC desc{};
    depth->GetDesc(&desc);
    depth->Release();
    EXPECT_EQ(desc.Width, 640u);
    EXPECT_EQ(desc.Height, 512u) << "the extra depth surface replaces the automatic one";
    EXPECT_EQ(desc.Format, D3DFMT_D24X8);

    IDirect3DSurface9* back = nullptr;
    g_device->GetRenderTarget(0, &back);
    ASSERT_NE(back, nullptr);
    back->GetDesc(&desc);
    back->Release();
    EXPECT_EQ(desc.Width, 640u);
    EXPECT_EQ(desc.Height, 480u);
    EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  }
  EXPECT_TRUE(win32port::registeredClasses().empty()) << "the destructor unregisters the class";
  EXPECT_TRUE(win32port::messageBoxes().empty());
}

TEST_F(D3DWindowTest, WindowedVariantHasACaptionAndStillAnXrgbBackBuffer) {
  ::testing::internal::CaptureStdout();
  D3DWindow window(640, 480, false, "Windowed");
  ::testing::internal::GetCapturedStdout();
  auto records = win32port::windows();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].style, 0x10C80000u);
  EXPECT_EQ(records[0].exStyle, 0x200u);
  EXPECT_EQ(records[0].x, 400);
  EXPECT_EQ(records[0].y, 300);
  ASSERT_NE(g_device, nullptr);
  IDirect3DSurface9* back = nullptr;
  g_device->GetRenderTarget(0, &back);
  D3DSURFACE_DESC desc{};
  back->GetDesc(&desc);
  back->Release();
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
}

TEST_F(D3DWindowTest, MissingHardwareTransformWarnsOnceAndCarriesOn) {
  d3d9port::Faults faults;
  faults.noHardwareTransform = true;
  d3d9port::setFaults(faults);
  ::testing::internal::CaptureStdout();
  D3DWindow window(640, 480, true, "Vorkast05");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "happy device\n");
  EXPECT_EQ(win32port::messageBoxes(),
            std::vector<std::string>{"Warning: Your GPU is from Poland!"});
  EXPECT_NE(g_device, nullptr);
}

TEST_F(D3DWindowTest, FailedDeviceCreationPrintsAndReturnsWithoutDevice) {
  d3d9port::Faults faults;
  faults.createDeviceFails = true;
  d3d9port::setFaults(faults);
  ::testing::internal::CaptureStdout();
  D3DWindow window(640, 480, true, "Vorkast05");
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Morra til tovi\n");
  EXPECT_EQ(g_device, nullptr);
}

TEST_F(D3DWindowTest, FatalFailuresThrowWithTheFailingCall) {
  auto expectThrow = [](bool fullscreen, const char* name, const char* message) {
    try {
      D3DWindow window(640, 480, fullscreen, name);
      ADD_FAILURE() << "no exception for " << message;
    } catch (const Exception& e) {
      EXPECT_STREQ(e.message, message);
      EXPECT_STREQ(e.where, "d3dwindow, Constructor");
    }
  };
  // A class of that name already exists.
  WNDCLASSEXA taken{};
  taken.cbSize = sizeof taken;
  taken.lpfnWndProc = D3DWindow::WindowProc;
  taken.lpszClassName = "Taken";
  RegisterClassExA(&taken);
  expectThrow(true, "Taken", "Failed To RegisterClass");
  UnregisterClassA("Taken", nullptr);

  d3d9port::Faults faults;
  faults.direct3DCreateFails = true;
  d3d9port::setFaults(faults);
  expectThrow(true, "A", "Direct3DCreate9(D3D_SDK_VERSION)");

  faults = {};
  faults.displayModeFails = true;
  d3d9port::setFaults(faults);
  int alive = d3d9port::liveObjectCount();
  expectThrow(false, "B", "GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displaymode)");
  EXPECT_EQ(d3d9port::liveObjectCount(), alive) << "the Direct3D object is released";
  EXPECT_TRUE(win32port::registeredClasses().empty()) << "and the class unregistered";
  win32port::resetForTests();
}

TEST_F(D3DWindowTest, PumpReportsEscapeButNotTheClosedWindow) {
  ::testing::internal::CaptureStdout();
  D3DWindow window(640, 480, true, "Vorkast05");
  ::testing::internal::GetCapturedStdout();
  EXPECT_FALSE(window.pumpMessages());
  PostMessageA(g_hwnd, WM_CLOSE, 0, 0);
  EXPECT_FALSE(window.pumpMessages()) << "closing the window does not end the show";
  EXPECT_TRUE(win32port::windows()[0].destroyed);
  EXPECT_FALSE(window.pumpMessages());
  win32port::setKeyDown(VK_ESCAPE, true);
  EXPECT_TRUE(window.pumpMessages());
  EXPECT_TRUE(window.pumpMessages()) << "held down";
  win32port::setKeyDown(VK_ESCAPE, false);
  EXPECT_FALSE(window.pumpMessages());
}

TEST(ExceptionTest, CopiesAndCutsItsTexts) {
  Exception e("CreateWindowEx()", "d3dwindow, Constructor");
  Exception copy = e;
  EXPECT_STREQ(copy.message, "CreateWindowEx()");
  EXPECT_STREQ(copy.where, "d3dwindow, Constructor");
  std::string longText(200, 'x');
  Exception cut(longText.c_str(), "w");
  EXPECT_EQ(std::string(cut.message), std::string(79, 'x'));
}

}  // namespace
