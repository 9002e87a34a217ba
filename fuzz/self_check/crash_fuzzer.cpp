// A fuzzer with a planted heap overflow, for the harness's own test: its
// run must fail and name the input that did it.
#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || data[0] != '!') return 0;
  std::vector<std::uint8_t> copy(data, data + size);
  volatile std::uint8_t past = copy.data()[size];
  return past == 0 ? 0 : 1;
}
