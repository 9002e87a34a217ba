#include "video_backend.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "null_video.h"
#include "port_env.h"
#include "sdl_video.h"

namespace win32port {
namespace {

std::unique_ptr<VideoBackend>& instance() {
  static std::unique_ptr<VideoBackend> backend;
  return backend;
}

std::unique_ptr<VideoBackend> choose() {
  const port::Environment& env = port::environment();
  if (env.videoSet && env.video == port::VideoMode::None) {
    return std::make_unique<NullVideo>();
  }
  auto sdl = std::make_unique<SdlVideo>();
  if (sdl->open()) return sdl;
  if (env.videoSet) {
    std::fprintf(stderr,
                 "vorkast: VORKAST_VIDEO=window but no display can be reached; "
                 "frames are drawn and not shown\n");
  } else {
    std::fprintf(stderr,
                 "vorkast: no display can be reached; frames are drawn and not shown "
                 "(VORKAST_VIDEO=none)\n");
  }
  return std::make_unique<NullVideo>();
}

}  // namespace

VideoBackend& videoBackend() {
  auto& backend = instance();
  if (!backend) backend = choose();
  return *backend;
}

void resetVideoBackend() { instance().reset(); }

}  // namespace win32port
