// The Win32 window functions: classes, windows, the message queue, keys.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "port_env.h"
#include "video_backend.h"
#include "win32_state.h"

using win32port::state;

namespace {

void sendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  win32port::WindowEntry* entry = win32port::findWindow(window);
  if (entry != nullptr && entry->procedure != nullptr) {
    entry->procedure(window, message, wParam, lParam);
  }
}

void loadScriptOnce() {
  win32port::State& s = state();
  if (s.scriptLoaded) return;
  s.scriptLoaded = true;
  const std::string& path = port::environment().keysFile;
  if (!path.empty()) s.script.load(path);
}

// One pump: scripted keys for this pump, then what the user did.
void beginPump() {
  win32port::State& s = state();
  loadScriptOnce();
  for (const win32port::KeyEvent& event : s.script.eventsAt(s.pumpCount)) {
    win32port::applyKey(event.virtualKey, event.down);
  }
  ++s.pumpCount;
  if (s.frames || s.rawVideo) {
    // Whoever follows the frames (the capture tool) reads the line the show
    // printed for this frame just before this pump, not blocks of a hundred
    // at its exit: standard output into a pipe is otherwise fully buffered.
    std::fflush(stdout);
    // The frames' output gone (its reader quit, the disk full): the show
    // ends as at the Escape key rather than drawing on for nobody.
    if ((s.frames && s.frames->failed()) || (s.rawVideo && s.rawVideo->failed())) {
      win32port::applyKey(VK_ESCAPE, true);
    }
  }
  win32port::videoBackend().pollInput([&s](const win32port::InputEvent& event) {
    switch (event.kind) {
      case win32port::InputKind::KeyDown:
      case win32port::InputKind::KeyUp:
        win32port::applyKey(event.virtualKey, event.kind == win32port::InputKind::KeyDown);
        break;
      case win32port::InputKind::CloseRequested:
        for (std::size_t i = 0; i < s.windows.size(); ++i) {
          if (s.windows[i].backendId == event.windowId && !s.windows[i].record.destroyed) {
            PostMessageA(win32port::handleOf(i), WM_CLOSE, 0, 0);
          }
        }
        break;
    }
  });
}

}  // namespace

ATOM RegisterClassExA(const WNDCLASSEXA* windowClass) {
  if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
      windowClass->lpszClassName == nullptr || windowClass->lpszClassName[0] == '\0' ||
      windowClass->lpfnWndProc == nullptr) {
    return 0;
  }
  auto& classes = state().classes;
  if (classes.count(windowClass->lpszClassName) != 0) return 0;
  classes[windowClass->lpszClassName] = *windowClass;
  return state().nextAtom++;
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE) {
  if (className == nullptr) return FALSE;
  return state().classes.erase(className) != 0 ? TRUE : FALSE;
}

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND, HMENU, HINSTANCE, LPVOID) {
  win32port::State& s = state();
  if (className == nullptr) return nullptr;
  auto cls = s.classes.find(className);
  if (cls == s.classes.end() || width <= 0 || height <= 0) return nullptr;

  win32port::WindowEntry entry;
  entry.record = win32port::WindowRecord{
      nullptr, exStyle, className, windowName ? windowName : "", style, x, y, width, height, false};
  entry.procedure = cls->second.lpfnWndProc;
  if (style & WS_VISIBLE) {
    win32port::WindowSpec spec{entry.record.title.c_str(), x, y, width, height,
                               (style & WS_POPUP) != 0};
    entry.backendId = win32port::videoBackend().createWindow(spec);
    if (entry.backendId == 0) return nullptr;
  }
  HWND handle = win32port::handleOf(s.windows.size());
  entry.record.handle = handle;
  s.windows.push_back(entry);
  sendMessage(handle, WM_CREATE, 0, 0);
  return handle;
}

BOOL DestroyWindow(HWND window) {
  win32port::WindowEntry* entry = win32port::findWindow(window);
  if (entry == nullptr) return FALSE;
  // WM_DESTROY reaches the window procedure while the window still exists.
  sendMessage(window, WM_DESTROY, 0, 0);
  entry = win32port::findWindow(window);
  if (entry == nullptr) return TRUE;
  entry->record.destroyed = true;
  if (entry->backendId != 0) win32port::videoBackend().destroyWindow(entry->backendId);
  return TRUE;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) DestroyWindow(window);
  return 0;
}

void PostQuitMessage(int exitCode) {
  state().queue.push_back(MSG{nullptr, WM_QUIT, static_cast<WPARAM>(exitCode), 0, 0, {0, 0}});
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window != nullptr && win32port::findWindow(window) == nullptr) return FALSE;
  state().queue.push_back(MSG{window, message, wParam, lParam, 0, {0, 0}});
  return TRUE;
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeMsg) {
  win32port::State& s = state();
  if (s.queueDrained) {
    s.queueDrained = false;
    beginPump();
  }
  for (auto it = s.queue.begin(); it != s.queue.end(); ++it) {
    bool windowMatches = window == nullptr || it->hwnd == window;
    bool rangeMatches = (filterMin == 0 && filterMax == 0) ||
                        (it->message >= filterMin && it->message <= filterMax);
    if (windowMatches && rangeMatches) {
      if (msg != nullptr) *msg = *it;
      if (removeMsg & PM_REMOVE) s.queue.erase(it);
      return TRUE;
    }
  }
  s.queueDrained = true;
  return FALSE;
}

BOOL TranslateMessage(const MSG* msg) { return msg != nullptr && msg->message == WM_KEYDOWN; }

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr || msg->hwnd == nullptr) return 0;
  win32port::WindowEntry* entry = win32port::findWindow(msg->hwnd);
  if (entry == nullptr || entry->procedure == nullptr) return 0;
  return entry->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

SHORT GetAsyncKeyState(int virtualKey) {
  if (virtualKey < 0 || virtualKey > 255) return 0;
  win32port::State& s = state();
  int result = (s.keyDown[virtualKey] ? 0x8000 : 0) | (s.pressedSinceQuery[virtualKey] ? 1 : 0);
  s.pressedSinceQuery[virtualKey] = false;
  return static_cast<SHORT>(result);
}

HCURSOR SetCursor(HCURSOR cursor) {
  win32port::State& s = state();
  static HCURSOR current = LoadCursorA(nullptr, IDC_ARROW);
  HCURSOR previous = current;
  current = cursor;
  bool hide = cursor == nullptr;
  if (hide != s.cursorHidden) {
    s.cursorHidden = hide;
    win32port::videoBackend().setCursorVisible(!hide);
  }
  return previous;
}

HICON LoadIconA(HINSTANCE, LPCSTR name) { return reinterpret_cast<HICON>(const_cast<char*>(name)); }

HCURSOR LoadCursorA(HINSTANCE, LPCSTR name) {
  return reinterpret_cast<HCURSOR>(const_cast<char*>(name));
}

HGDIOBJ GetStockObject(int object) {
  if (object < 0 || object > 19) return nullptr;
  return reinterpret_cast<HGDIOBJ>(static_cast<std::uintptr_t>(0x8000 + object));
}
