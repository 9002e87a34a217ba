// vorkast05-capture's command line.
#pragma once

#include <optional>
#include <string>

struct CaptureOptions {
  double fps = 60.0;
  double from = 0.0;
  std::optional<double> to;
  std::string outFile;    // --out FILE.mp4
  std::string framesDir;  // --frames DIR
  std::optional<double> at;
  std::string pngFile;  // with --at
  // x264's speed against the video's size; veryfast keeps the file small
  // while the show's drawing, not the encoder, sets the pace.
  std::string preset = "veryfast";
  bool help = false;  // --help or -h: the usage, nothing else
};

// Parses argv; on a mistake returns nothing and sets `error` to a message
// that names the option.
std::optional<CaptureOptions> parseCaptureOptions(int argc, const char* const* argv,
                                                  std::string& error);

extern const char kCaptureUsage[];
