// The four global objects in one translation unit, so that their order of
// construction is the order written here.
#include "globals.h"

#include "effects/screen_quad.h"
#include "platform/d3dwindow.h"
#include "platform/startup_report.h"
#include "resources/render_to_texture.h"
#include "resources/texture_registry.h"

D3DWindow g_window(640, 480, true, "Vorkast05");
// Everything after the window draws through the device.
[[maybe_unused]] static const bool g_deviceChecked = (requireDevice(), true);
TextureRegistry g_textureRegistry;
render_to_texture g_renderToTexture;
ScreenQuad g_screenQuad;

float g_pausedPosition = 0.0f;
