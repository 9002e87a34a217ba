#include "sdl_library.h"

#include <dlfcn.h>

namespace port {
namespace {

// The run-time name of Debian's SDL 2 (package libsdl2-2.0-0).
constexpr const char* kSdlSoname = "libSDL2-2.0.so.0";

struct Opened {
  SdlLibrary calls;
  bool ok = false;
  std::string why;
};

Opened open() {
  Opened opened;
  void* handle = dlopen(kSdlSoname, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* error = dlerror();
    opened.why = std::string("SDL cannot be loaded: ") + (error ? error : kSdlSoname);
    return opened;
  }
#define PORT_SDL_FIND(name)                                                            \
  opened.calls.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));       \
  if (opened.calls.name == nullptr) {                                                  \
    opened.why = std::string("SDL cannot be loaded: ") + kSdlSoname + " lacks " #name; \
    return opened;                                                                     \
  }
  PORT_SDL_FUNCTIONS(PORT_SDL_FIND)
#undef PORT_SDL_FIND
  // Never closed: SDL's threads and handlers may outlive any one caller.
  opened.ok = true;
  return opened;
}

}  // namespace

const SdlLibrary* sdl(std::string* why) {
  // Never destroyed: windows and the sound card are closed by objects that
  // outlive any static made after them.
  static const Opened* const opened = new Opened(open());
  if (!opened->ok && why != nullptr) *why = opened->why;
  return opened->ok ? &opened->calls : nullptr;
}

}  // namespace port
