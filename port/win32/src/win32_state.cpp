#include "win32_state.h"

namespace win32port {

State& state() {
  static State s;
  return s;
}

HWND handleOf(std::size_t index) {
  // Handles are small numbers that are never dereferenced, as on Windows.
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x10000 + 4 * (index + 1)));
}

WindowEntry* findWindow(HWND handle) {
  auto value = reinterpret_cast<std::uintptr_t>(handle);
  if (value < 0x10004 || (value - 0x10000) % 4 != 0) return nullptr;
  std::size_t index = (value - 0x10000) / 4 - 1;
  auto& windows = state().windows;
  if (index >= windows.size() || windows[index].record.destroyed) return nullptr;
  return &windows[index];
}

void applyKey(int virtualKey, bool down) {
  if (virtualKey < 0 || virtualKey > 255) return;
  State& s = state();
  if (down && !s.keyDown[virtualKey]) s.pressedSinceQuery[virtualKey] = true;
  s.keyDown[virtualKey] = down;
}

}  // namespace win32port
