// Every input kept in fuzz/audio/regressions/ goes through the audio
// fuzzer's own entry point once more, in the normal build: it must neither
// crash nor stall.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(AudioRegressions, EveryKeptInputReplaysQuickly) {
  ASSERT_EQ(LLVMFuzzerInitialize(nullptr, nullptr), 0);
  const std::filesystem::path dir = std::string(VORKAST_SOURCE_DIR) + "/fuzz/audio/regressions";
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".md") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    auto began = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    // A stall guard, not a speed figure: these inputs took tens of seconds.
    EXPECT_LT(seconds, 5.0) << entry.path().filename();
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "nothing kept in " << dir;
}

}  // namespace
