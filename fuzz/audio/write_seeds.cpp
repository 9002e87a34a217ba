// Writes the audio fuzzer's seed corpus: small MP3s of the kinds the layer
// tells apart (rates it resamples, mono, a tag in front, a cut-off file) and
// a WAV. Usage: fuzz_bass_seeds SEED_DIR [EMPTY_DIR...]
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "mp3_fixture.h"

namespace {

void write(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s SEED_DIR [EMPTY_DIR...]\n", argv[0]);
    return 2;
  }
  for (int i = 1; i < argc; ++i) std::filesystem::create_directories(argv[i]);
  const std::filesystem::path seeds = argv[1];

  const auto stereo = fixture::sine(0.25, 440.0, 0.5);
  const auto mono = fixture::sine(0.25, 220.0, 0.8, 22050, 1);
  const auto rate48 = fixture::sine(0.2, 1000.0, 0.3, 48000, 2);
  const auto loudBass = fixture::makeSignal(0.3, 32000, 2, [](std::int64_t frame, int) {
    return static_cast<float>(std::sin(frame * 2 * M_PI * 50.0 / 32000.0) > 0 ? 1.0 : -1.0);
  });

  std::vector<std::uint8_t> plain = fixture::encodeMp3(stereo, 128);
  write(seeds / "stereo_44100.mp3", plain);
  write(seeds / "mono_22050.mp3", fixture::encodeMp3(mono, 32));
  write(seeds / "stereo_48000.mp3", fixture::encodeMp3(rate48, 64));
  write(seeds / "square_32000.mp3", fixture::encodeMp3(loudBass, 96));
  std::vector<std::uint8_t> tagged = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 20};
  tagged.resize(30, 0);
  tagged.insert(tagged.end(), plain.begin(), plain.end());
  write(seeds / "id3v2_tagged.mp3", tagged);
  write(seeds / "cut_off.mp3",
        std::vector<std::uint8_t>(plain.begin(), plain.begin() + plain.size() / 2));
  write(seeds / "pcm.wav", fixture::wavFile(fixture::sine(0.05, 440.0, 0.5)));
  return 0;
}
