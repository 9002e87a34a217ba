// The window layer's own interface: frames in, records and key control out.
#include "win32_port.h"

#include <cstdio>

#include "port_env.h"
#include "present_hook.h"
#include "video_backend.h"
#include "win32_state.h"

namespace win32port {

void presentFrame(HWND window, const std::uint32_t* pixels, int width, int height, int pitchPixels,
                  bool waitForVerticalSync) {
  State& s = state();
  WindowEntry* entry = findWindow(window);
  if (entry != nullptr && entry->backendId != 0) {
    videoBackend().present(entry->backendId, pixels, width, height, pitchPixels,
                           waitForVerticalSync);
  }
  if (!s.framesChecked) {
    s.framesChecked = true;
    const std::string& folder = port::environment().framesDir;
    if (!folder.empty()) s.frames = std::make_unique<FrameWriter>(folder);
    const std::string& raw = port::environment().rawVideoPath;
    if (!raw.empty()) s.rawVideo = std::make_unique<RawVideoWriter>(raw);
  }
  if (s.frames) s.frames->write(pixels, width, height, pitchPixels);
  if (s.rawVideo) s.rawVideo->write(pixels, width, height, pitchPixels);
  port::notifyFramePresented(port::Frame{pixels, width, height, pitchPixels});
}

bool showsWindows() { return videoBackend().showsWindows(); }

std::vector<WindowRecord> windows() {
  std::vector<WindowRecord> all;
  for (const WindowEntry& entry : state().windows) all.push_back(entry.record);
  return all;
}

std::vector<std::string> registeredClasses() {
  std::vector<std::string> names;
  for (const auto& [name, cls] : state().classes) names.push_back(name);
  return names;
}

void setKeyDown(int virtualKey, bool down) { applyKey(virtualKey, down); }

std::vector<std::string> messageBoxes() { return state().boxes; }

void setMessageBoxHandler(std::function<int(const char* text, const char* caption)> handler) {
  state().boxHandler = std::move(handler);
}

void resetForTests() {
  State& s = state();
  for (const WindowEntry& entry : s.windows) {
    if (!entry.record.destroyed && entry.backendId != 0) {
      videoBackend().destroyWindow(entry.backendId);
    }
  }
  s.classes.clear();
  s.windows.clear();
  s.queue.clear();
  s.keyDown.fill(false);
  s.pressedSinceQuery.fill(false);
  s.boxes.clear();
  s.boxHandler = nullptr;
  s.pumpCount = 0;
  s.queueDrained = true;
  s.scriptLoaded = false;
  s.script = KeyScript();
  s.frames.reset();
  s.rawVideo.reset();
  s.framesChecked = false;
}

}  // namespace win32port

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
  win32port::State& s = win32port::state();
  const char* t = text ? text : "";
  const char* c = caption ? caption : "Error";
  s.boxes.push_back(std::string(c) + ": " + t);
  if (s.boxHandler) return s.boxHandler(t, c);
  if (win32port::videoBackend().messageBox(t, c)) return IDOK;
  std::fprintf(stderr, "%s: %s\n", c, t);
  return IDOK;
}
