// The entry function's texture handles: non-owning, the registry keeps the
// textures for the whole run.
#pragma once

#include <string>
#include <vector>

class Texture;
class TextureRegistry;

struct ShowTextures {
  Texture* texYellowFrame2 = nullptr;
  Texture* texD = nullptr;
  Texture* texWhite = nullptr;
  Texture* texGulfisk = nullptr;
  Texture* texRibbon = nullptr;
  Texture* texOverup = nullptr;
  Texture* texLort = nullptr;
  Texture* texCuffercup = nullptr;
  Texture* texText01 = nullptr;
  Texture* texText02 = nullptr;
  Texture* texText03 = nullptr;
  Texture* texText04 = nullptr;
  Texture* texText05 = nullptr;
  Texture* texText06 = nullptr;
  Texture* texText07 = nullptr;
  Texture* texTextOverlay01 = nullptr;
  Texture* texTextOverlay02 = nullptr;
  Texture* texTextOverlay03 = nullptr;
  Texture* texCred = nullptr;
  Texture* texHore = nullptr;
};

// The 21 registrations of start-up, in their order; the render target's
// handle is not kept.
ShowTextures registerShowTextures(TextureRegistry& registry);

// The files those registrations read, in the same order.
std::vector<std::string> showTextureFiles();
