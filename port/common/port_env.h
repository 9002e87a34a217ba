// The port's environment: how a run is shown, heard and clocked. The show
// reads no environment itself; these variables belong to the platform, as
// SDL's do. They are read once, on first use, and can be overridden by tests.
#pragma once

#include <string>

namespace port {

enum class VideoMode { Window, None };
enum class AudioMode { Device, Clock, Frames };

struct Environment {
  // VORKAST_VIDEO; unset means Window where a display is reachable.
  bool videoSet = false;
  VideoMode video = VideoMode::Window;
  // VORKAST_AUDIO; unset means Device, falling back to Clock.
  bool audioSet = false;
  AudioMode audio = AudioMode::Device;
  // VORKAST_FPS: frames per second of the Frames clock.
  double fps = 60.0;
  // VORKAST_START: music time in seconds at which the stream starts.
  double startSeconds = 0.0;
  // VORKAST_FRAMES: folder that receives every presented frame, or empty.
  std::string framesDir;
  // VORKAST_KEYS: key script file, or empty.
  std::string keysFile;
  // VORKAST_RAWVIDEO: a file or pipe that receives every presented frame as
  // raw 640 x 480 BGRA bytes (what the capture tool feeds to ffmpeg).
  std::string rawVideoPath;
};

// The environment as read from the process (once), or as last set.
const Environment& environment();

// Replaces the environment for the rest of the process (tests, tools).
void setEnvironment(const Environment& env);

// Reads the variables afresh from the process environment. Malformed values
// are reported on standard error and replaced by their defaults.
Environment readEnvironment();

}  // namespace port
