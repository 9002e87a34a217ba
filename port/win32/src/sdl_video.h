// Windows and frames through SDL2.
#pragma once

#include <map>

#include "video_backend.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace port {
struct SdlLibrary;
}

namespace win32port {

class SdlVideo final : public VideoBackend {
 public:
  // Initialises SDL's video; false when no real display can be reached.
  bool open();
  ~SdlVideo() override;

  bool showsWindows() const override { return true; }
  int createWindow(const WindowSpec& spec) override;
  void destroyWindow(int id) override;
  void present(int id, const std::uint32_t* pixels, int width, int height, int pitchPixels,
               bool waitForVerticalSync) override;
  void pollInput(const std::function<void(const InputEvent&)>& handle) override;
  void setCursorVisible(bool visible) override;
  bool messageBox(const char* text, const char* caption) override;

 private:
  struct Window {
    SDL_Window* window = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
  };
  bool makeRenderer(Window& w, bool vsync);

  const port::SdlLibrary* sdl_ = nullptr;  // set by open()
  bool opened_ = false;
  std::map<int, Window> windows_;  // by SDL window id
};

}  // namespace win32port
