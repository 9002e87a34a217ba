// The entry function: start-up in its fixed order, the show, and shutdown.
#include <d3d9.h>

#include "audio/music_player.h"
#include "core/demo_timeline.h"
#include "core/globals.h"
#include "core/main_loop.h"
#include "core/show_textures.h"
#include "effects/screen_quad.h"
#include "effects/warp_grid.h"
#include "effects/zoom_blur.h"
#include "math/picture_prefetch.h"
#include "platform/d3dwindow.h"
#include "resources/render_to_texture.h"
#include "resources/texture_registry.h"

int main() {
  // The pictures are read and decoded on a second thread while the music
  // decodes on this one; the registrations below still load them one by
  // one in their order, taking what is ready.
  PicturePrefetch pictures(showTextureFiles());
  MusicPlayer music("data/music/Molte_-_VorkastInvtro(1).mp3");
  ShowTextures textures = registerShowTextures(g_textureRegistry);
  WarpGrid warpGrid;
  ZoomBlur zoomBlur;
  DemoTimeline timeline(textures, g_screenQuad, g_renderToTexture, warpGrid, zoomBlur);

  // Music time 0 is the end of start-up.
  music.play();
  runMainLoop(g_window, music, g_renderToTexture, timeline);

  music.stop();
  // The program's reference goes now; the pointer itself stays as it is.
  g_device->Release();
  return 0;
}
