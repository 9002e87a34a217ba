// The one place where textures come into being: every image and named render
// target, kept by name for the whole run and listed and released at exit.
#pragma once

#include <deque>
#include <map>
#include <string>

#include "texture.h"

class TextureRegistry {
 public:
  TextureRegistry();
  ~TextureRegistry();
  TextureRegistry(const TextureRegistry&) = delete;
  TextureRegistry& operator=(const TextureRegistry&) = delete;

  Texture* loadTexture(std::string name);
  Texture* createRenderTarget(std::string name, int size);

 private:
  std::deque<std::string> order;
  std::map<std::string, Texture*> entries;
};
