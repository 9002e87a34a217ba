// The show's four global objects, constructed in this order before the entry
// function and destroyed in reverse order at exit; defined in globals.cpp.
#pragma once

class D3DWindow;
class TextureRegistry;
class render_to_texture;
class ScreenQuad;

extern D3DWindow g_window;
extern TextureRegistry g_textureRegistry;
extern render_to_texture g_renderToTexture;
extern ScreenQuad g_screenQuad;

// Written by the E key, read by the D key.
extern float g_pausedPosition;
