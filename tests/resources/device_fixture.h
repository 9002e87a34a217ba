// A software device in g_device and a scratch working directory with
// data/textures/ in it, for the resource tests.
#pragma once

#include <d3d9.h>
#include <d3d9_port.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

class DeviceTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes bytes to data/textures/<name>, making folders on the way.
  void writeTexture(const std::string& name, const std::vector<std::uint8_t>& bytes);

  // Trace lines from the point of the last clearTrace, as one text each.
  static std::vector<std::string> trace();
  // The object tag (tex#5, surf#8) at the end of the last line that starts
  // with prefix, e.g. the texture made by the last CreateTexture.
  static std::string lastResult(const std::string& prefix);
  // Index of the first line equal to line, or -1.
  static int indexOf(const std::vector<std::string>& lines, const std::string& line);

  IDirect3D9* direct3d = nullptr;
  std::filesystem::path home;
  std::filesystem::path scratch;
  int liveBefore = 0;
};
