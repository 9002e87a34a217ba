// Test signals and MP3 files made on the spot through libmp3lame, written
// to a fresh temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace fixture {

// Interleaved float samples, +/-1 full scale.
struct Signal {
  int rate = 44100;
  int channels = 2;
  std::vector<float> samples;
  std::int64_t frames() const { return static_cast<std::int64_t>(samples.size()) / channels; }
};

// `value(frame, channel)` for every frame of `seconds`.
Signal makeSignal(double seconds, int rate, int channels,
                  const std::function<float(std::int64_t, int)>& value);
Signal sine(double seconds, double hz, float amplitude, int rate = 44100, int channels = 2);

// An MP3 with its gapless (LAME) tag. Empty when lame fails.
std::vector<std::uint8_t> encodeMp3(const Signal& signal, int kbps = 192);

// A temporary folder removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string write(const std::string& name, const std::vector<std::uint8_t>& bytes) const;
  std::string path(const std::string& name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

// A 44-byte-header PCM WAV of `signal`.
std::vector<std::uint8_t> wavFile(const Signal& signal);

}  // namespace fixture
