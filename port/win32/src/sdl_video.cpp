#include "sdl_video.h"

#include <sdl_library.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace win32port {
namespace {

int virtualKeyOf(SDL_Keycode key) {
  if (key == SDLK_ESCAPE) return VK_ESCAPE;
  if (key >= SDLK_a && key <= SDLK_z) return 'A' + static_cast<int>(key - SDLK_a);
  if (key >= SDLK_0 && key <= SDLK_9) return '0' + static_cast<int>(key - SDLK_0);
  return -1;
}

// The largest rectangle of the frame's aspect that fits the output.
SDL_Rect letterbox(int outW, int outH, int frameW, int frameH) {
  SDL_Rect r{0, 0, outW, outH};
  if (static_cast<long>(outW) * frameH > static_cast<long>(outH) * frameW) {
    r.w = static_cast<int>(static_cast<long>(outH) * frameW / frameH);
    r.x = (outW - r.w) / 2;
  } else {
    r.h = static_cast<int>(static_cast<long>(outW) * frameH / frameW);
    r.y = (outH - r.h) / 2;
  }
  return r;
}

}  // namespace

bool SdlVideo::open() {
  std::string why;
  sdl_ = port::sdl(&why);
  if (sdl_ == nullptr) {
    std::fprintf(stderr, "vorkast: %s\n", why.c_str());
    return false;
  }
  if (sdl_->SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  const char* driver = sdl_->SDL_GetCurrentVideoDriver();
  // The offscreen and dummy drivers show nothing to anybody.
  if (driver == nullptr || std::strcmp(driver, "offscreen") == 0 ||
      std::strcmp(driver, "dummy") == 0) {
    sdl_->SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  opened_ = true;
  return true;
}

SdlVideo::~SdlVideo() {
  if (sdl_ == nullptr) return;
  for (auto& [id, w] : windows_) {
    if (w.texture) sdl_->SDL_DestroyTexture(w.texture);
    if (w.renderer) sdl_->SDL_DestroyRenderer(w.renderer);
    if (w.window) sdl_->SDL_DestroyWindow(w.window);
  }
  if (opened_) sdl_->SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

int SdlVideo::createWindow(const WindowSpec& spec) {
  Uint32 flags = SDL_WINDOW_SHOWN;
  flags |= spec.fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_RESIZABLE;
  SDL_Window* window =
      sdl_->SDL_CreateWindow(spec.title, spec.x, spec.y, spec.width, spec.height, flags);
  if (window == nullptr) {
    std::fprintf(stderr, "vorkast: SDL_CreateWindow: %s\n", sdl_->SDL_GetError());
    return 0;
  }
  int id = static_cast<int>(sdl_->SDL_GetWindowID(window));
  windows_[id].window = window;
  return id;
}

void SdlVideo::destroyWindow(int id) {
  auto it = windows_.find(id);
  if (it == windows_.end()) return;
  if (it->second.texture) sdl_->SDL_DestroyTexture(it->second.texture);
  if (it->second.renderer) sdl_->SDL_DestroyRenderer(it->second.renderer);
  sdl_->SDL_DestroyWindow(it->second.window);
  windows_.erase(it);
}

bool SdlVideo::makeRenderer(Window& w, bool vsync) {
  Uint32 flags = vsync ? SDL_RENDERER_PRESENTVSYNC : 0;
  w.renderer = sdl_->SDL_CreateRenderer(w.window, -1, flags);
  if (w.renderer == nullptr)
    w.renderer = sdl_->SDL_CreateRenderer(w.window, -1, SDL_RENDERER_SOFTWARE);
  if (w.renderer == nullptr) {
    std::fprintf(stderr, "vorkast: SDL_CreateRenderer: %s\n", sdl_->SDL_GetError());
    return false;
  }
  sdl_->SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
  return true;
}

void SdlVideo::present(int id, const std::uint32_t* pixels, int width, int height, int pitchPixels,
                       bool waitForVerticalSync) {
  auto it = windows_.find(id);
  if (it == windows_.end()) return;
  Window& w = it->second;
  if (w.renderer == nullptr && !makeRenderer(w, waitForVerticalSync)) return;
  if (w.texture == nullptr || w.textureWidth != width || w.textureHeight != height) {
    if (w.texture) sdl_->SDL_DestroyTexture(w.texture);
    w.texture = sdl_->SDL_CreateTexture(w.renderer, SDL_PIXELFORMAT_RGB888,
                                        SDL_TEXTUREACCESS_STREAMING, width, height);
    w.textureWidth = width;
    w.textureHeight = height;
    if (w.texture == nullptr) return;
  }
  sdl_->SDL_UpdateTexture(w.texture, nullptr, pixels, pitchPixels * 4);
  int outW = 0, outH = 0;
  sdl_->SDL_GetRendererOutputSize(w.renderer, &outW, &outH);
  SDL_Rect dest = letterbox(outW, outH, width, height);
  sdl_->SDL_SetRenderDrawColor(w.renderer, 0, 0, 0, 255);
  sdl_->SDL_RenderClear(w.renderer);
  sdl_->SDL_RenderCopy(w.renderer, w.texture, nullptr, &dest);
  sdl_->SDL_RenderPresent(w.renderer);
}

void SdlVideo::pollInput(const std::function<void(const InputEvent&)>& handle) {
  SDL_Event event;
  while (sdl_->SDL_PollEvent(&event)) {
    switch (event.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (event.key.repeat == 0) {
          handle(InputEvent{event.type == SDL_KEYDOWN ? InputKind::KeyDown : InputKind::KeyUp, 0,
                            virtualKeyOf(event.key.keysym.sym)});
        }
        break;
      case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
          handle(
              InputEvent{InputKind::CloseRequested, static_cast<int>(event.window.windowID), -1});
        }
        break;
      default:
        break;
    }
  }
}

void SdlVideo::setCursorVisible(bool visible) {
  sdl_->SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
}

bool SdlVideo::messageBox(const char* text, const char* caption) {
  return sdl_->SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr) == 0;
}

}  // namespace win32port
