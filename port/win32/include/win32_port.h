// What the window layer offers beyond Win32: the frame hand-over from the
// device, and what tests need to see and steer. Nothing in the show uses it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace win32port {

// Called by the device's Present with the back buffer (X8R8G8B8, top row
// first). Shows it in the window (waiting for vertical sync when asked),
// writes it to VORKAST_FRAMES, then tells the port's frame listeners.
void presentFrame(HWND window, const std::uint32_t* pixels, int width, int height, int pitchPixels,
                  bool waitForVerticalSync);

// True when frames go to a real window; false in the `none` video mode.
bool showsWindows();

// What CreateWindowExA was asked for, kept for tests.
struct WindowRecord {
  HWND handle;
  DWORD exStyle;
  std::string className;
  std::string title;
  DWORD style;
  int x, y, width, height;
  bool destroyed;
};
std::vector<WindowRecord> windows();

// The registered window classes, by name.
std::vector<std::string> registeredClasses();

// Key state from outside: tests press and release keys as a user would.
void setKeyDown(int virtualKey, bool down);

// Message boxes: every call is recorded as "Caption: text"; a handler, when
// set, replaces the real box (tests answer boxes without a window system).
std::vector<std::string> messageBoxes();
void setMessageBoxHandler(std::function<int(const char* text, const char* caption)> handler);

// Forgets windows, classes, keys and boxes: each test starts clean.
void resetForTests();

}  // namespace win32port
