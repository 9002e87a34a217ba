// Where windows and frames go. One back end is chosen per process, here and
// nowhere else: SDL where a display is reachable, otherwise none.
#pragma once

#include <cstdint>
#include <functional>

namespace win32port {

struct WindowSpec {
  const char* title;
  int x, y, width, height;
  bool fullscreen;  // a 640 x 480 popup is shown full screen, scaled, with black bars
};

enum class InputKind { KeyDown, KeyUp, CloseRequested };

struct InputEvent {
  InputKind kind;
  int windowId;    // back end's id of the window, for CloseRequested
  int virtualKey;  // for key events; -1 when the key has no Win32 code we map
};

class VideoBackend {
 public:
  virtual ~VideoBackend() = default;
  virtual bool showsWindows() const = 0;
  // Returns an id (> 0) or 0 on failure.
  virtual int createWindow(const WindowSpec& spec) = 0;
  virtual void destroyWindow(int id) = 0;
  virtual void present(int id, const std::uint32_t* pixels, int width, int height, int pitchPixels,
                       bool waitForVerticalSync) = 0;
  virtual void pollInput(const std::function<void(const InputEvent&)>& handle) = 0;
  virtual void setCursorVisible(bool visible) = 0;
  // Shows a modal box; false when this back end cannot.
  virtual bool messageBox(const char* text, const char* caption) = 0;
};

// The process's back end, chosen on first use from VORKAST_VIDEO and whether
// a display can be reached.
VideoBackend& videoBackend();

// Drops the back end (tests that switch modes).
void resetVideoBackend();

}  // namespace win32port
