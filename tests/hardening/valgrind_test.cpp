// A short run of the show under valgrind's memcheck: no invalid reads or
// writes, no use of uninitialised values, nothing definitely lost.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "show_process.h"

namespace hardening {
namespace {

TEST(Valgrind, ShortRunIsClean) {
  // The text scene draws the most: warp grid, zoom blur, captions, overlay.
  ShowRun run = showRun("valgrind", builtData(), "3 ESCAPE down\n", 31.0);
  run.launcher = std::string(VALGRIND_PROGRAM) +
                 " --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite"
                 " --error-exitcode=9 --log-file=valgrind.txt"
                 // The program's allocator is jemalloc: memcheck puts its own in its place.
                 " --soname-synonyms=somalloc=*jemalloc*";
  run.memoryLimitKiB = 0;  // valgrind needs room of its own
  run.timeLimitSeconds = 300;
  ShowResult result = runShow(run);
  std::ifstream file(result.dir + "/valgrind.txt");
  std::stringstream log;
  log << file.rdbuf();
  const std::string text = log.str();
  ASSERT_FALSE(result.timedOut);
  EXPECT_EQ(result.status, 0) << text;
  EXPECT_EQ(result.times.size(), 3u);
  EXPECT_NE(text.find("ERROR SUMMARY: 0 errors"), std::string::npos) << text;
  EXPECT_EQ(text.find("Invalid read"), std::string::npos) << text;
  EXPECT_EQ(text.find("Invalid write"), std::string::npos) << text;
  bool noneLost = text.find("definitely lost: 0 bytes") != std::string::npos ||
                  text.find("no leaks are possible") != std::string::npos;
  EXPECT_TRUE(noneLost) << text;
  // memcheck saw the program's allocations (it replaced its allocator).
  EXPECT_NE(text.find("total heap usage: "), std::string::npos) << text;
  EXPECT_EQ(text.find("total heap usage: 0 allocs"), std::string::npos) << text;
}

}  // namespace
}  // namespace hardening
