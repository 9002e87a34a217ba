// Opens a captioned 640 x 480 window through the window layer on a real X
// server and checks what the window system made of it. Exit 0 on success.
#include <SDL.h>
#include <win32_port.h>
#include <windows.h>

#include <cstdio>
#include <vector>

static LRESULT CALLBACK proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

int main() {
  if (!win32port::showsWindows()) {
    std::fprintf(stderr, "no real display reached\n");
    return 1;
  }
  WNDCLASSEXA c{};
  c.cbSize = sizeof c;
  c.lpfnWndProc = proc;
  c.lpszClassName = "Probe";
  if (RegisterClassExA(&c) == 0) return 1;
  HWND w = CreateWindowExA(WS_EX_CLIENTEDGE, "Probe", "Probe", WS_VISIBLE | WS_CAPTION, 400, 300,
                           640, 480, nullptr, nullptr, nullptr, nullptr);
  if (w == nullptr) return 1;
  std::vector<std::uint32_t> frame(640 * 480, 0x00336699u);
  win32port::presentFrame(w, frame.data(), 640, 480, 640, false);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);

  int count = 0, width = 0, height = 0;
  for (Uint32 id = 1; id < 16; ++id) {
    if (SDL_Window* sdl = SDL_GetWindowFromID(id)) {
      SDL_GetWindowSize(sdl, &width, &height);
      ++count;
    }
  }
  std::printf("windows %d, size %d x %d\n", count, width, height);
  return (count == 1 && width == 640 && height == 480) ? 0 : 1;
}
