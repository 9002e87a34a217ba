// The 512 x 512 texture every frame is drawn into, stretched over the back
// buffer and presented at the end of the frame.
#pragma once

#include <d3d9.h>

#include "texture.h"

class render_to_texture {
 public:
  render_to_texture();
  ~render_to_texture();
  render_to_texture(const render_to_texture&) = delete;
  render_to_texture& operator=(const render_to_texture&) = delete;

  void beginFrame();
  void endFrame();
  // Makes the texture's level 0 render target 0; uses nothing of this object.
  static void setTarget(Texture* t);

  IDirect3DVertexBuffer9* quad = nullptr;
  IDirect3DSurface9* backBuffer = nullptr;
  Texture target;
};
