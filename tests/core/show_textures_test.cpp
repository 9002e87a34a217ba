// The files the entry function prefetches are the files its registrations
// load, one for one: each registration takes a prepared result, none is left.
#include "core/show_textures.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "math/picture_prefetch.h"
#include "resources/texture.h"
#include "resources/texture_registry.h"

namespace {

TEST(ShowTextures, EveryRegisteredPictureComesFromThePrefetch) {
  ASSERT_EQ(chdir(VORKAST_BINARY_DIR), 0) << "the assets are in the build folder";
  const std::vector<std::string> files = showTextureFiles();
  EXPECT_EQ(files.size(), 20u);
  EXPECT_EQ(files.front(), "data/textures/yellow_frame2.png");
  EXPECT_EQ(files.back(), "data/textures/vorkast/text/hore.png");
  PicturePrefetch prefetch(files);
  TextureRegistry registry;
  const ShowTextures t = registerShowTextures(registry);
  EXPECT_EQ(prefetch.untaken(), 0u) << "a prefetched file that no registration loads";
  for (Texture* texture : {t.texYellowFrame2,  t.texD,
                           t.texWhite,         t.texGulfisk,
                           t.texRibbon,        t.texOverup,
                           t.texLort,          t.texCuffercup,
                           t.texText01,        t.texText02,
                           t.texText03,        t.texText04,
                           t.texText05,        t.texText06,
                           t.texText07,        t.texTextOverlay01,
                           t.texTextOverlay02, t.texTextOverlay03,
                           t.texCred,          t.texHore}) {
    ASSERT_NE(texture, nullptr);
    EXPECT_NE(texture->texture, nullptr);
  }
}

}  // namespace
