// A copy of the show's data/ made of links to the built files, in which a
// test replaces or removes single files. A replaced file is a new file: the
// link goes first, so the built data are never written through.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hardening {

class DataFolder {
 public:
  // Links every file of `source` into a fresh folder `name` below the test's
  // temporary directory.
  DataFolder(const std::string& name, const std::string& source);

  const std::string& path() const { return path_; }

  // `relative` is below data/, e.g. "textures/vorkast/d.png".
  void replace(const std::string& relative, const std::vector<std::uint8_t>& bytes);
  void remove(const std::string& relative);
  std::vector<std::uint8_t> original(const std::string& relative) const;

 private:
  std::string source_;
  std::string path_;
};

inline const char* kMusicFile = "music/Molte_-_VorkastInvtro(1).mp3";

// Damaged and unusual files.
namespace broken {
std::vector<std::uint8_t> truncated(const std::vector<std::uint8_t>& bytes, std::size_t keep);
// JFIF markers and entropy-coded-looking bytes: what a JPEG renamed to .png is.
std::vector<std::uint8_t> jpegLike();
// Bytes with no structure, from a fixed seed.
std::vector<std::uint8_t> noise(std::size_t size, std::uint32_t seed);
// A PNG whose header claims width x height, with a few bytes of image data.
std::vector<std::uint8_t> pngClaiming(std::uint32_t width, std::uint32_t height);
// Valid but less common PNGs: 16 bits per sample (RGB), and a 4-bit palette
// with transparency.
std::vector<std::uint8_t> png16Bit(std::uint32_t width, std::uint32_t height);
std::vector<std::uint8_t> pngPalette(std::uint32_t width, std::uint32_t height);
// A PCM WAV and an MP3 (libmp3lame) of a chord, `seconds` long.
std::vector<std::uint8_t> wav(double seconds);
std::vector<std::uint8_t> mp3(double seconds);
}  // namespace broken

}  // namespace hardening
