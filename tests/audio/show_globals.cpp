// The window layer's two globals, which the player reads, for tests that do
// not link the window itself.
#include "platform/d3dwindow.h"

HWND g_hwnd = nullptr;
IDirect3DDevice9* g_device = nullptr;
