#include "mp3_fixture.h"

#include <lame/lame.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace fixture {

Signal makeSignal(double seconds, int rate, int channels,
                  const std::function<float(std::int64_t, int)>& value) {
  Signal signal;
  signal.rate = rate;
  signal.channels = channels;
  auto frames = static_cast<std::int64_t>(std::llround(seconds * rate));
  signal.samples.resize(static_cast<std::size_t>(frames * channels));
  for (std::int64_t f = 0; f < frames; ++f) {
    for (int c = 0; c < channels; ++c) signal.samples[f * channels + c] = value(f, c);
  }
  return signal;
}

Signal sine(double seconds, double hz, float amplitude, int rate, int channels) {
  return makeSignal(seconds, rate, channels, [=](std::int64_t f, int) {
    return amplitude * static_cast<float>(std::sin(2.0 * std::numbers::pi * hz * f / rate));
  });
}

std::vector<std::uint8_t> encodeMp3(const Signal& signal, int kbps) {
  lame_global_flags* lame = lame_init();
  if (lame == nullptr) return {};
  lame_set_in_samplerate(lame, signal.rate);
  lame_set_out_samplerate(lame, signal.rate);
  lame_set_num_channels(lame, signal.channels);
  lame_set_mode(lame, signal.channels == 1 ? MONO : JOINT_STEREO);
  lame_set_brate(lame, kbps);
  lame_set_quality(lame, 2);
  lame_set_bWriteVbrTag(lame, 1);
  if (lame_init_params(lame) < 0) {
    lame_close(lame);
    return {};
  }
  std::vector<std::uint8_t> out;
  const int chunk = 4096;
  std::vector<unsigned char> buffer(chunk * 2 + 7200);
  std::vector<float> left(chunk), right(chunk);
  std::int64_t total = signal.frames();
  for (std::int64_t at = 0; at < total; at += chunk) {
    int n = static_cast<int>(std::min<std::int64_t>(chunk, total - at));
    for (int i = 0; i < n; ++i) {
      left[i] = signal.samples[(at + i) * signal.channels];
      right[i] = signal.samples[(at + i) * signal.channels + signal.channels - 1];
    }
    int bytes = lame_encode_buffer_ieee_float(lame, left.data(), right.data(), n, buffer.data(),
                                              static_cast<int>(buffer.size()));
    if (bytes < 0) {
      lame_close(lame);
      return {};
    }
    out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  }
  int bytes = lame_encode_flush(lame, buffer.data(), static_cast<int>(buffer.size()));
  if (bytes > 0) out.insert(out.end(), buffer.begin(), buffer.begin() + bytes);
  unsigned char tag[2880];
  std::size_t tagBytes = lame_get_lametag_frame(lame, tag, sizeof tag);
  if (tagBytes > 0 && tagBytes <= out.size()) std::copy(tag, tag + tagBytes, out.begin());
  lame_close(lame);
  return out;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "vorkast-bass-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  dir_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

std::string TempDir::write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
  std::string file = path(name);
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return file;
}

std::vector<std::uint8_t> wavFile(const Signal& signal) {
  std::vector<std::uint8_t> out;
  auto put = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  };
  auto text = [&](const char* four) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(four[i]));
  };
  auto dataBytes = static_cast<std::uint32_t>(signal.samples.size() * 2);
  text("RIFF");
  put(36 + dataBytes, 4);
  text("WAVE");
  text("fmt ");
  put(16, 4);
  put(1, 2);
  put(static_cast<std::uint32_t>(signal.channels), 2);
  put(static_cast<std::uint32_t>(signal.rate), 4);
  put(static_cast<std::uint32_t>(signal.rate * signal.channels * 2), 4);
  put(static_cast<std::uint32_t>(signal.channels * 2), 2);
  put(16, 2);
  text("data");
  put(dataBytes, 4);
  for (float s : signal.samples) {
    auto v = static_cast<std::int16_t>(std::lround(std::clamp(s, -1.0f, 1.0f) * 32767.0f));
    put(static_cast<std::uint16_t>(v), 2);
  }
  return out;
}

}  // namespace fixture
