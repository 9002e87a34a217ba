// D3DXCreateTextureFromFileA: an image file into a managed texture with a
// full mip chain, power-of-two sized, in a format that follows the file.
#pragma once

#include <d3d9.h>

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture);
