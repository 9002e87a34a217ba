// SDL, opened when a window or the sound card is first wanted instead of
// with the program. Debian's SDL brings X11, Wayland, PulseAudio and what
// they need: some fifty libraries, which cost every run more than 10 ms
// before main, runs that draw without a screen and hear without a card as
// well. Only the calls the platform makes are looked up, by their own names.
#pragma once

#include <SDL.h>

#include <string>

namespace port {

#define PORT_SDL_FUNCTIONS(X)  \
  X(SDL_InitSubSystem)         \
  X(SDL_QuitSubSystem)         \
  X(SDL_GetError)              \
  X(SDL_SetHint)               \
  X(SDL_GetCurrentVideoDriver) \
  X(SDL_CreateWindow)          \
  X(SDL_GetWindowID)           \
  X(SDL_DestroyWindow)         \
  X(SDL_CreateRenderer)        \
  X(SDL_DestroyRenderer)       \
  X(SDL_GetRendererOutputSize) \
  X(SDL_SetRenderDrawColor)    \
  X(SDL_RenderClear)           \
  X(SDL_RenderCopy)            \
  X(SDL_RenderPresent)         \
  X(SDL_CreateTexture)         \
  X(SDL_UpdateTexture)         \
  X(SDL_DestroyTexture)        \
  X(SDL_PollEvent)             \
  X(SDL_ShowCursor)            \
  X(SDL_ShowSimpleMessageBox)  \
  X(SDL_OpenAudioDevice)       \
  X(SDL_CloseAudioDevice)      \
  X(SDL_PauseAudioDevice)      \
  X(SDL_LockAudioDevice)       \
  X(SDL_UnlockAudioDevice)

struct SdlLibrary {
#define PORT_SDL_MEMBER(name) decltype(&::name) name = nullptr;
  PORT_SDL_FUNCTIONS(PORT_SDL_MEMBER)
#undef PORT_SDL_MEMBER
};

// The library with every call found, opened by the first caller (any
// thread) and kept to the end of the process. Null when it cannot be had;
// `why` (if given) then says what is missing.
const SdlLibrary* sdl(std::string* why = nullptr);

}  // namespace port
