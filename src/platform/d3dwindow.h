// The show's window and its one Direct3D device, the message pump, and the
// program's exception type.
#pragma once

#include <d3d9.h>
#include <windows.h>

extern HWND g_hwnd;
extern IDirect3DDevice9* g_device;

class Exception {
 public:
  Exception(const char* message, const char* where);

  char message[80];
  char where[80];
};

class D3DWindow {
 public:
  D3DWindow(int width, int height, bool fullscreen, const char* name);
  ~D3DWindow();
  D3DWindow(const D3DWindow&) = delete;
  D3DWindow& operator=(const D3DWindow&) = delete;

  // Drains the message queue; true when Escape is down or was pressed.
  bool pumpMessages();

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

 private:
  IDirect3D9* direct3d = nullptr;
  WNDCLASSEXA windowClass{};
  MSG msg{};
  const char* name = nullptr;
};
