#include "device_fixture.h"

#include <stdlib.h>

#include "platform/d3dwindow.h"
#include "png_writer.h"

void DeviceTest::SetUp() {
  d3d9port::setFaults({});
  d3d9port::setTraceEnabled(false);
  d3d9port::clearTrace();
  direct3d = Direct3DCreate9(D3D_SDK_VERSION);
  ASSERT_NE(direct3d, nullptr);
  D3DPRESENT_PARAMETERS pp{};
  pp.BackBufferWidth = 640;
  pp.BackBufferHeight = 480;
  pp.BackBufferFormat = D3DFMT_X8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.Windowed = FALSE;
  ASSERT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp, &g_device),
            D3D_OK);
  liveBefore = d3d9port::liveObjectCount();

  home = std::filesystem::current_path();
  std::string pattern = (std::filesystem::temp_directory_path() / "vk_resources_XXXXXX").string();
  ASSERT_NE(mkdtemp(pattern.data()), nullptr);
  scratch = pattern;
  std::filesystem::create_directories(scratch / "data" / "textures");
  std::filesystem::current_path(scratch);
}

void DeviceTest::TearDown() {
  d3d9port::setTraceEnabled(false);
  d3d9port::setFaults({});
  if (g_device != nullptr) g_device->Release();
  g_device = nullptr;
  if (direct3d != nullptr) direct3d->Release();
  direct3d = nullptr;
  std::filesystem::current_path(home);
  std::error_code ignored;
  std::filesystem::remove_all(scratch, ignored);
}

void DeviceTest::writeTexture(const std::string& name, const std::vector<std::uint8_t>& bytes) {
  const auto path = scratch / "data" / "textures" / name;
  std::filesystem::create_directories(path.parent_path());
  testpng::writeFile(path.string(), bytes);
}

std::vector<std::string> DeviceTest::trace() { return d3d9port::traceLines(); }

std::string DeviceTest::lastResult(const std::string& prefix) {
  const auto& lines = d3d9port::traceLines();
  for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
    if (it->rfind(prefix, 0) == 0) {
      const auto arrow = it->rfind("-> ");
      return arrow == std::string::npos ? std::string() : it->substr(arrow + 3);
    }
  }
  return {};
}

int DeviceTest::indexOf(const std::vector<std::string>& lines, const std::string& line) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i] == line) return static_cast<int>(i);
  }
  return -1;
}
