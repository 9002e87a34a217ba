#include "data_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

#include "mp3_fixture.h"
#include "png_writer.h"

namespace hardening {

namespace fs = std::filesystem;

DataFolder::DataFolder(const std::string& name, const std::string& source)
    : source_(source), path_(::testing::TempDir() + "/hardening_data_" + name) {
  fs::remove_all(path_);
  for (const auto& entry : fs::recursive_directory_iterator(source)) {
    fs::path target = path_ / fs::relative(entry.path(), source);
    if (entry.is_directory()) {
      fs::create_directories(target);
    } else {
      fs::create_directories(target.parent_path());
      fs::create_symlink(fs::absolute(entry.path()), target);
    }
  }
}

void DataFolder::replace(const std::string& relative, const std::vector<std::uint8_t>& bytes) {
  remove(relative);
  std::ofstream file(path_ + "/" + relative, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  if (!file) throw std::runtime_error("cannot write " + relative);
}

void DataFolder::remove(const std::string& relative) { fs::remove(path_ + "/" + relative); }

std::vector<std::uint8_t> DataFolder::original(const std::string& relative) const {
  std::ifstream file(source_ + "/" + relative, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

namespace broken {

std::vector<std::uint8_t> truncated(const std::vector<std::uint8_t>& bytes, std::size_t keep) {
  return {bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(std::min(keep, bytes.size()))};
}

std::vector<std::uint8_t> jpegLike() {
  std::vector<std::uint8_t> bytes = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0x00,
                                     0x01, 0x01, 0x00, 0x00, 0x48, 0x00, 0x48, 0x00, 0x00,
                                     // start of frame: 8 bit, 480 x 640, 3 components
                                     0xFF, 0xC0, 0x00, 0x11, 0x08, 0x01, 0xE0, 0x02, 0x80, 0x03,
                                     0x01, 0x22, 0x00, 0x02, 0x11, 0x01, 0x03, 0x11, 0x01,
                                     // start of scan
                                     0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03,
                                     0x11, 0x00, 0x3F, 0x00};
  std::vector<std::uint8_t> scan = noise(4000, 7);
  bytes.insert(bytes.end(), scan.begin(), scan.end());
  bytes.insert(bytes.end(), {0xFF, 0xD9});
  return bytes;
}

std::vector<std::uint8_t> noise(std::size_t size, std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<std::uint8_t> bytes(size);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

std::vector<std::uint8_t> pngClaiming(std::uint32_t width, std::uint32_t height) {
  return testpng::headerOnly(width, height);
}

std::vector<std::uint8_t> png16Bit(std::uint32_t width, std::uint32_t height) {
  testpng::PngSpec spec;
  spec.width = width;
  spec.height = height;
  spec.colorType = PNG_COLOR_TYPE_RGB;
  spec.bitDepth = 16;
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x) {
      spec.samples.push_back(static_cast<std::uint16_t>(x * 65535 / width));
      spec.samples.push_back(static_cast<std::uint16_t>(y * 65535 / height));
      spec.samples.push_back(40000);
    }
  }
  return testpng::encode(spec);
}

std::vector<std::uint8_t> pngPalette(std::uint32_t width, std::uint32_t height) {
  testpng::PngSpec spec;
  spec.width = width;
  spec.height = height;
  spec.colorType = PNG_COLOR_TYPE_PALETTE;
  spec.bitDepth = 4;
  for (int i = 0; i < 16; ++i) {
    spec.palette.push_back(
        png_color{static_cast<png_byte>(i * 16), 80, static_cast<png_byte>(255 - i * 16)});
  }
  spec.paletteAlpha = {0, 128};
  for (std::uint32_t y = 0; y < height; ++y) {
    for (std::uint32_t x = 0; x < width; ++x)
      spec.samples.push_back(static_cast<std::uint16_t>((x / 8 + y / 8) % 16));
  }
  return testpng::encode(spec);
}

namespace {
fixture::Signal chord(double seconds) {
  return fixture::makeSignal(seconds, 44100, 2, [](std::int64_t frame, int channel) {
    double t = static_cast<double>(frame) / 44100.0;
    return static_cast<float>(0.3 * std::sin(2 * M_PI * 55.0 * t) +
                              0.2 * std::sin(2 * M_PI * (440.0 + 110.0 * channel) * t));
  });
}
}  // namespace

std::vector<std::uint8_t> wav(double seconds) { return fixture::wavFile(chord(seconds)); }
std::vector<std::uint8_t> mp3(double seconds) { return fixture::encodeMp3(chord(seconds)); }

}  // namespace broken
}  // namespace hardening
