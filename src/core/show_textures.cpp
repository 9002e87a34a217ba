#include "show_textures.h"

#include "core/show_pictures.h"
#include "resources/texture.h"
#include "resources/texture_registry.h"

ShowTextures registerShowTextures(TextureRegistry& registry) {
  ShowTextures t;
  t.texYellowFrame2 = registry.loadTexture("yellow_frame2.png");
  t.texD = registry.loadTexture("vorkast/d.png");
  registry.createRenderTarget("render_target", 512);
  t.texWhite = registry.loadTexture("vorkast/white.png");
  t.texGulfisk = registry.loadTexture("vorkast/gulfisk.png");
  t.texRibbon = registry.loadTexture("vorkast/ribbon.png");
  t.texOverup = registry.loadTexture("vorkast/overup.png");
  t.texLort = registry.loadTexture("vorkast/lort.png");
  t.texCuffercup = registry.loadTexture("vorkast/text/cuffercup.png");
  t.texText01 = registry.loadTexture("vorkast/text/text01.png");
  t.texText02 = registry.loadTexture("vorkast/text/text02.png");
  t.texText03 = registry.loadTexture("vorkast/text/text03.png");
  t.texText04 = registry.loadTexture("vorkast/text/text04.png");
  t.texText05 = registry.loadTexture("vorkast/text/text05.png");
  t.texText06 = registry.loadTexture("vorkast/text/text06.png");
  t.texText07 = registry.loadTexture("vorkast/text/text07.png");
  t.texTextOverlay01 = registry.loadTexture("vorkast/text/text_overlay01.png");
  t.texTextOverlay02 = registry.loadTexture("vorkast/text/text_overlay02.png");
  t.texTextOverlay03 = registry.loadTexture("vorkast/text/text_overlay03.png");
  t.texCred = registry.loadTexture("vorkast/text/cred.png");
  t.texHore = registry.loadTexture("vorkast/text/hore.png");
  return t;
}

std::vector<std::string> showTextureFiles() {
  std::vector<std::string> files;
  for (const std::string& name : showPictureNames()) files.push_back(Texture::filePath(name));
  return files;
}
