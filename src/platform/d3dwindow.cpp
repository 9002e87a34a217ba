#include "d3dwindow.h"

#include <cstdio>
#include <cstring>

#include "startup_report.h"

HWND g_hwnd = nullptr;
IDirect3DDevice9* g_device = nullptr;

Exception::Exception(const char* messageText, const char* whereText) {
  // Longer texts are cut rather than overrun the fixed buffers.
  std::snprintf(message, sizeof message, "%s", messageText ? messageText : "");
  std::snprintf(where, sizeof where, "%s", whereText ? whereText : "");
}

D3DWindow::D3DWindow(int width, int height, bool fullscreen, const char* windowName) {
  installStartupReport();

  name = windowName;
  windowClass.cbSize = sizeof(WNDCLASSEXA);
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.cbClsExtra = 0;
  windowClass.cbWndExtra = 0;
  windowClass.hInstance = nullptr;
  windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  windowClass.lpszMenuName = nullptr;
  windowClass.lpszClassName = name;
  windowClass.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);

  if (RegisterClassExA(&windowClass) == 0) {
    throw Exception("Failed To RegisterClass", "d3dwindow, Constructor");
  }

  DWORD exStyle = fullscreen ? 0 : WS_EX_CLIENTEDGE;
  DWORD style = fullscreen ? (WS_POPUP | WS_VISIBLE) : (WS_VISIBLE | WS_CAPTION | WS_SYSMENU);
  int x = fullscreen ? 0 : 400;
  int y = fullscreen ? 0 : 300;
  g_hwnd = CreateWindowExA(exStyle, name, name, style, x, y, width, height, nullptr, nullptr,
                           nullptr, nullptr);
  if (g_hwnd == nullptr) {
    // A constructor that throws gets no destructor: undo what it did.
    UnregisterClassA(name, windowClass.hInstance);
    throw Exception("CreateWindowEx()", "d3dwindow, Constructor");
  }

  direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (direct3d == nullptr) {
    UnregisterClassA(name, windowClass.hInstance);
    throw Exception("Direct3DCreate9(D3D_SDK_VERSION)", "d3dwindow, Constructor");
  }

  if (!fullscreen) {
    D3DDISPLAYMODE displaymode;
    if (FAILED(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displaymode))) {
      direct3d->Release();
      direct3d = nullptr;
      UnregisterClassA(name, windowClass.hInstance);
      throw Exception("GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &displaymode)",
                      "d3dwindow, Constructor");
    }
  }

  D3DPRESENT_PARAMETERS parameters;
  std::memset(&parameters, 0, sizeof parameters);
  parameters.BackBufferWidth = static_cast<UINT>(width);
  parameters.BackBufferHeight = static_cast<UINT>(height);
  parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  parameters.BackBufferCount = 3;
  parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  parameters.MultiSampleQuality = 0;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = nullptr;
  parameters.Windowed = fullscreen ? FALSE : TRUE;
  parameters.EnableAutoDepthStencil = TRUE;
  parameters.AutoDepthStencilFormat = D3DFMT_D24X8;
  parameters.Flags = 0;
  parameters.FullScreen_RefreshRateInHz = 0;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_DEFAULT;

  D3DCAPS9 caps;
  std::memset(&caps, 0, sizeof caps);
  direct3d->GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, &caps);
  bool hardwareTransform = (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) != 0;
  if (!hardwareTransform) {
    MessageBoxA(nullptr, "Your GPU is from Poland!", "Warning", MB_OK);
  }

  DWORD behavior =
      hardwareTransform ? D3DCREATE_HARDWARE_VERTEXPROCESSING : D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  if (FAILED(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, g_hwnd, behavior,
                                    &parameters, &g_device))) {
    std::printf("Morra til tovi\n");
    return;
  }

  std::printf("happy device\n");

  for (DWORD stage = 0; stage < 7; ++stage) {
    g_device->SetSamplerState(stage, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    g_device->SetSamplerState(stage, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    g_device->SetSamplerState(stage, D3DSAMP_MIPFILTER, D3DTEXF_LINEAR);
  }

  IDirect3DSurface9* depthStencil = nullptr;
  g_device->CreateDepthStencilSurface(640, 512, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                      &depthStencil, nullptr);
  g_device->SetDepthStencilSurface(depthStencil);
  if (depthStencil != nullptr) depthStencil->Release();
}

D3DWindow::~D3DWindow() {
  if (direct3d != nullptr) {
    direct3d->Release();
    direct3d = nullptr;
  }
  UnregisterClassA(name, windowClass.hInstance);
}

bool D3DWindow::pumpMessages() {
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return GetAsyncKeyState(VK_ESCAPE) != 0;
}

LRESULT CALLBACK D3DWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
