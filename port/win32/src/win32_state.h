// The window layer's process-wide state: classes, windows, the thread's
// message queue and the keyboard. Everything runs on the show's one thread.
#pragma once

#include <windows.h>

#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "frame_writer.h"
#include "key_script.h"
#include "raw_video_writer.h"
#include "win32_port.h"

namespace win32port {

struct WindowEntry {
  WindowRecord record;
  WNDPROC procedure = nullptr;
  int backendId = 0;
};

struct State {
  std::map<std::string, WNDCLASSEXA> classes;
  ATOM nextAtom = 0xC000;
  std::vector<WindowEntry> windows;  // index + 1 is the handle value
  std::deque<MSG> queue;

  std::array<bool, 256> keyDown{};
  std::array<bool, 256> pressedSinceQuery{};

  // A pump is one drain of the queue: the first PeekMessageA after the
  // queue was last found empty starts the next one.
  long pumpCount = 0;
  bool queueDrained = true;
  bool scriptLoaded = false;
  KeyScript script;

  std::vector<std::string> boxes;
  std::function<int(const char*, const char*)> boxHandler;

  std::unique_ptr<FrameWriter> frames;
  std::unique_ptr<RawVideoWriter> rawVideo;
  bool framesChecked = false;
  bool cursorHidden = false;
};

State& state();

WindowEntry* findWindow(HWND handle);
HWND handleOf(std::size_t index);

// Applies a key change as a user's press or release would.
void applyKey(int virtualKey, bool down);

}  // namespace win32port
