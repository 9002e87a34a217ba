#include "port_env.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace port {
namespace {

// The show's globals are built before main and read the environment while
// they are built, so its state lives in a function-local static, made on
// first use rather than at some unknown point of static initialisation.
struct Store {
  std::mutex mutex;
  bool loaded = false;
  Environment env;
};

Store& store() {
  static Store s;
  return s;
}

const char* get(const char* name) {
  const char* value = std::getenv(name);
  return (value != nullptr && value[0] != '\0') ? value : nullptr;
}

bool parseNumber(const char* name, const char* text, double lowest, double highest, double* out) {
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !std::isfinite(value) || value < lowest ||
      value > highest) {
    std::fprintf(stderr, "vorkast: %s=%s is not a number from %g to %g; using %g\n", name, text,
                 lowest, highest, *out);
    return false;
  }
  *out = value;
  return true;
}

}  // namespace

Environment readEnvironment() {
  Environment env;
  if (const char* video = get("VORKAST_VIDEO")) {
    if (std::strcmp(video, "window") == 0) {
      env.videoSet = true;
      env.video = VideoMode::Window;
    } else if (std::strcmp(video, "none") == 0) {
      env.videoSet = true;
      env.video = VideoMode::None;
    } else {
      std::fprintf(stderr, "vorkast: VORKAST_VIDEO=%s is neither window nor none; ignored\n",
                   video);
    }
  }
  if (const char* audio = get("VORKAST_AUDIO")) {
    if (std::strcmp(audio, "device") == 0) {
      env.audioSet = true;
      env.audio = AudioMode::Device;
    } else if (std::strcmp(audio, "clock") == 0) {
      env.audioSet = true;
      env.audio = AudioMode::Clock;
    } else if (std::strcmp(audio, "frames") == 0) {
      env.audioSet = true;
      env.audio = AudioMode::Frames;
    } else {
      std::fprintf(stderr, "vorkast: VORKAST_AUDIO=%s is not device, clock or frames; ignored\n",
                   audio);
    }
  }
  if (const char* fps = get("VORKAST_FPS")) {
    parseNumber("VORKAST_FPS", fps, 1.0, 1000.0, &env.fps);
  }
  if (const char* start = get("VORKAST_START")) {
    parseNumber("VORKAST_START", start, 0.0, 86400.0, &env.startSeconds);
  }
  if (const char* frames = get("VORKAST_FRAMES")) {
    env.framesDir = frames;
  }
  if (const char* keys = get("VORKAST_KEYS")) {
    env.keysFile = keys;
  }
  if (const char* raw = get("VORKAST_RAWVIDEO")) {
    env.rawVideoPath = raw;
  }
  return env;
}

const Environment& environment() {
  Store& s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  if (!s.loaded) {
    s.env = readEnvironment();
    s.loaded = true;
  }
  return s.env;
}

void setEnvironment(const Environment& env) {
  Store& s = store();
  std::lock_guard<std::mutex> lock(s.mutex);
  s.env = env;
  s.loaded = true;
}

}  // namespace port
