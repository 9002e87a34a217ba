// The generator itself: the same bytes on every run, and clear failures.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "png_read.h"

namespace {

const char* const kFiles[] = {
    "textures/yellow_frame2.png",
    "textures/vorkast/d.png",
    "textures/vorkast/white.png",
    "textures/vorkast/gulfisk.png",
    "textures/vorkast/ribbon.png",
    "textures/vorkast/overup.png",
    "textures/vorkast/lort.png",
    "textures/vorkast/text/cuffercup.png",
    "textures/vorkast/text/text01.png",
    "textures/vorkast/text/text02.png",
    "textures/vorkast/text/text03.png",
    "textures/vorkast/text/text04.png",
    "textures/vorkast/text/text05.png",
    "textures/vorkast/text/text06.png",
    "textures/vorkast/text/text07.png",
    "textures/vorkast/text/text_overlay01.png",
    "textures/vorkast/text/text_overlay02.png",
    "textures/vorkast/text/text_overlay03.png",
    "textures/vorkast/text/cred.png",
    "textures/vorkast/text/hore.png",
    "music/Molte_-_VorkastInvtro(1).mp3",
};

int runTool(const std::string& arguments) {
  std::string command = std::string("'") + MKASSETS_TOOL + "' " + arguments + " 2>/dev/null";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string freshDir(const char* name) {
  std::string dir = ::testing::TempDir() + "/mkassets_" + name + "_" + std::to_string(getpid());
  std::system(("rm -rf '" + dir + "'").c_str());
  return dir;
}

TEST(Generator, TwoRunsGiveTheSameBytes) {
  std::string a = freshDir("a"), b = freshDir("b");
  ASSERT_EQ(runTool("'" + a + "'"), 0);
  ASSERT_EQ(runTool("'" + b + "'"), 0);
  for (const char* file : kFiles) {
    std::vector<char> first = readBytes(a + "/" + file);
    EXPECT_FALSE(first.empty()) << file;
    EXPECT_TRUE(first == readBytes(b + "/" + file)) << file;
  }
  std::system(("rm -rf '" + a + "' '" + b + "'").c_str());
}

TEST(Generator, FailsClearlyOnBadArguments) {
  EXPECT_EQ(runTool(""), 2) << "usage";
  EXPECT_EQ(runTool("a b"), 2) << "usage";
  EXPECT_EQ(runTool("/dev/null/data"), 1) << "a folder that cannot be made";
}

}  // namespace
