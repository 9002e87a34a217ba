#include "resources/texture_registry.h"

#include <cstdio>
#include <utility>

namespace {

// Texture has virtual operations but no virtual destructor. Every entry was
// made here by `new Texture`, so deleting through Texture* is exact.
void destroy(Texture* texture) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
  delete texture;
#pragma GCC diagnostic pop
}

}  // namespace

TextureRegistry::TextureRegistry() { std::printf("bitching the bitch-init\n"); }

TextureRegistry::~TextureRegistry() {
  std::printf("\nbitchybitchyfizzle on tha doggywizzle, size = %d\n",
              static_cast<int>(entries.size()));
  // Last registered first, for the listing and the releases alike.
  while (!order.empty()) {
    const std::string& name = order.back();
    std::printf("\t%s\n", name.c_str());
    entries.at(name)->release();
    order.pop_back();
  }
  for (auto& entry : entries) destroy(entry.second);
  entries.clear();
}

Texture* TextureRegistry::loadTexture(std::string name) {
  const auto found = entries.find(name);
  if (found != entries.end()) return found->second;
  auto* texture = new Texture();
  texture->loadFromFile(name);  // registered whether or not the file loaded
  order.push_back(name);
  return entries.emplace(std::move(name), texture).first->second;
}

Texture* TextureRegistry::createRenderTarget(std::string name, int size) {
  // An existing entry wins, whatever its size or kind.
  const auto found = entries.find(name);
  if (found != entries.end()) return found->second;
  auto* texture = new Texture();
  texture->createRenderTarget(size);
  order.push_back(name);
  return entries.emplace(std::move(name), texture).first->second;
}
