#include "show_clock.h"

#include <algorithm>
#include <cstdio>
#include <numeric>

bool frameTime(const std::string& line, double& t) {
  if (line.rfind("fps = ", 0) != 0) return false;
  const auto at = line.find("time = ");
  if (at == std::string::npos) return false;
  return std::sscanf(line.c_str() + at, "time = %lf", &t) == 1;
}

// The windows of the show's timeline, with strict bounds as it tests them.
std::vector<SceneTimes> emptyScenes() {
  return {{"opening", 0.0, {}},
          {"pulse", 12.95, {}},
          {"text", 30.05, {}},
          {"closing", 79.05, {}},
          {"none", -1.0, {}}};
}

int sceneAt(double t) {
  const float f = static_cast<float>(t);
  if (f < 12.9f) return 0;
  if (12.9f < f && f < 30.0f) return 1;
  if (30.0f < f && f < 79.0f) return 2;
  if (79.0f < f && t < 98.0) return 3;
  return 4;
}

void addFrames(const std::vector<StampedLine>& lines, std::vector<SceneTimes>& scenes) {
  bool havePrevious = false;
  double previous = 0;
  for (const StampedLine& line : lines) {
    double t;
    if (!frameTime(line.text, t)) continue;
    if (havePrevious) {
      scenes[static_cast<size_t>(sceneAt(t))].frameSeconds.push_back(line.at - previous);
    }
    previous = line.at;
    havePrevious = true;
  }
}

Startup startupOf(const std::vector<StampedLine>& lines) {
  Startup s;
  for (const StampedLine& line : lines) {
    double t;
    if (s.device == 0 && line.text == "happy device") s.device = line.at;
    if (s.globals == 0 && line.text == "render_to_texture is up and running free") {
      s.globals = line.at;
    }
    if (frameTime(line.text, t)) {
      s.firstFrame = line.at;
      break;
    }
  }
  return s;
}

double musicStartOf(const std::vector<StampedLine>& lines) {
  const StampedLine* first = nullptr;
  for (const StampedLine& line : lines) {
    double t;
    if (!frameTime(line.text, t)) continue;
    if (first != nullptr) return first->at - t;
    first = &line;
  }
  return 0;
}

Summary summarize(std::vector<double> values) {
  Summary s;
  if (values.empty()) return s;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  s.median = n % 2 == 1 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
  s.worst = values.back();
  s.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(n);
  return s;
}
