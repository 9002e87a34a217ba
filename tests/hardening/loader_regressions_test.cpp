// Every input kept in fuzz/loader/regressions/ goes through the PNG fuzzer's
// own entry point once more, in the normal build: it must neither crash nor
// stall. The entry point is built as the fuzzer builds it, CRCs unchecked,
// since a mutated input that crashed seldom has sound CRCs and would
// otherwise be turned away before it reached the fault.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

TEST(LoaderRegressions, EveryKeptInputReplaysQuickly) {
  const std::filesystem::path dir = std::string(VORKAST_SOURCE_DIR) + "/fuzz/loader/regressions";
  int replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".md") continue;
    std::ifstream file(entry.path(), std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    auto began = std::chrono::steady_clock::now();
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    // A stall guard, not a speed figure: the fuzzer's own limit is 10 s.
    EXPECT_LT(seconds, 5.0) << entry.path().filename();
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "nothing kept in " << dir;
}

}  // namespace
