#include "inprocess_show.h"

#include <d3d9.h>
#include <port_env.h>
#include <present_hook.h>
#include <unistd.h>
#include <win32_port.h>

#include <stdexcept>

#include "audio/music_player.h"
#include "core/demo_timeline.h"
#include "core/globals.h"
#include "core/main_loop.h"
#include "core/show_textures.h"
#include "effects/screen_quad.h"
#include "effects/warp_grid.h"
#include "effects/zoom_blur.h"
#include "platform/d3dwindow.h"
#include "resources/render_to_texture.h"
#include "resources/texture_registry.h"

namespace hardening {

int runShowInProcess(const InProcessRun& run) {
  // The show releases the global device at its end, as the entry function
  // does; a second run in the same process would draw through it.
  static bool ran = false;
  if (ran) {
    throw std::logic_error("the show runs once per process: run one test case at a time");
  }
  ran = true;
  if (chdir(VORKAST_BINARY_DIR) != 0) throw std::runtime_error("no build folder");
  port::Environment env = port::environment();
  env.audioSet = true;
  env.audio = port::AudioMode::Frames;
  env.startSeconds = run.startSeconds;
  env.keysFile.clear();
  port::setEnvironment(env);

  int presented = 0;
  int listener = port::addFrameListener([&](const port::Frame&) {
    ++presented;
    if (run.onFrame) run.onFrame(presented);
    if (presented == run.frames) win32port::setKeyDown(VK_ESCAPE, true);
  });

  // As the entry function does it, step for step.
  int frameCount = 0;
  {
    MusicPlayer music("data/music/Molte_-_VorkastInvtro(1).mp3");
    ShowTextures textures = registerShowTextures(g_textureRegistry);
    WarpGrid warpGrid;
    ZoomBlur zoomBlur;
    DemoTimeline timeline(textures, g_screenQuad, g_renderToTexture, warpGrid, zoomBlur);
    music.play();
    frameCount = runMainLoop(g_window, music, g_renderToTexture, timeline);
    music.stop();
    g_device->Release();
  }
  port::removeFrameListener(listener);
  win32port::setKeyDown(VK_ESCAPE, false);
  return frameCount;
}

}  // namespace hardening
