// The `none` video mode: windows exist only as records, frames are drawn
// and handed on but shown nowhere.
#pragma once

#include "video_backend.h"

namespace win32port {

class NullVideo final : public VideoBackend {
 public:
  bool showsWindows() const override { return false; }
  int createWindow(const WindowSpec&) override { return ++lastId_; }
  void destroyWindow(int) override {}
  void present(int, const std::uint32_t*, int, int, int, bool) override {}
  void pollInput(const std::function<void(const InputEvent&)>&) override {}
  void setCursorVisible(bool) override {}
  bool messageBox(const char*, const char*) override { return false; }

 private:
  int lastId_ = 0;
};

}  // namespace win32port
