// D3DXCreateTextureFromFileA: an image file into a managed texture with a
// full mip chain, power-of-two sized, in a format that follows the file.
#pragma once

#include <d3d9.h>

// The results the loader gives besides the device's own, by their D3DX names.
#ifndef D3DXERR_INVALIDDATA
#define D3DXERR_INVALIDDATA static_cast<HRESULT>(0x88760B59u)  // not a decodable image
#endif
#ifndef D3DERR_NOTFOUND
#define D3DERR_NOTFOUND static_cast<HRESULT>(0x88760866u)  // no readable file there
#endif

HRESULT D3DXCreateTextureFromFileA(IDirect3DDevice9* device, const char* path,
                                   IDirect3DTexture9** texture);
