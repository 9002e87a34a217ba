#include "capture_options.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iterator>

const char kCaptureUsage[] =
    "usage: vorkast05-capture [--fps N] [--from SECONDS] [--to SECONDS] [--preset NAME]\n"
    "                         --out FILE.mp4\n"
    "       vorkast05-capture [--fps N] [--from SECONDS] [--to SECONDS] --frames DIR\n"
    "       vorkast05-capture --at SECONDS --png FILE.png\n"
    "Renders the show offline on its frame clock: a video with the music, a folder of\n"
    "PNG frames, or one picture at a given music time. Run it from the folder that\n"
    "holds data/, or from anywhere when it sits beside vorkast05 and data/.\n"
    "--preset is x264's, from ultrafast (quickest, largest file) to veryslow;\n"
    "the default is veryfast.\n";

namespace {

const char* const kPresets[] = {"ultrafast", "superfast", "veryfast", "faster",  "fast",
                                "medium",    "slow",      "slower",   "veryslow"};

bool number(const char* text, double lowest, double highest, double& out) {
  char* end = nullptr;
  errno = 0;
  double value = std::strtod(text, &end);
  if (errno != 0 || end == text || *end != '\0' || !std::isfinite(value) || value < lowest ||
      value > highest) {
    return false;
  }
  out = value;
  return true;
}

}  // namespace

std::optional<CaptureOptions> parseCaptureOptions(int argc, const char* const* argv,
                                                  std::string& error) {
  CaptureOptions o;
  auto fail = [&error](const std::string& message) {
    error = message;
    return std::optional<CaptureOptions>();
  };
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      o.help = true;
      return o;
    }
    static const char* const kKnown[] = {"--fps", "--from",   "--to",  "--at",
                                         "--out", "--frames", "--png", "--preset"};
    bool known = false;
    for (const char* name : kKnown) known = known || arg == name;
    if (!known) return fail("unknown option " + arg);
    if (i + 1 >= argc) return fail(arg + " needs a value");
    const char* value = argv[++i];
    double n = 0;
    if (arg == "--fps") {
      if (!number(value, 1, 1000, n)) return fail("--fps needs a number from 1 to 1000");
      o.fps = n;
    } else if (arg == "--from") {
      if (!number(value, 0, 98.27, n)) return fail("--from needs seconds from 0 to 98.27");
      o.from = n;
    } else if (arg == "--to") {
      if (!number(value, 0, 1e6, n)) return fail("--to needs seconds");
      o.to = n;
    } else if (arg == "--at") {
      if (!number(value, 0, 1e6, n)) return fail("--at needs seconds");
      o.at = n;
    } else if (arg == "--out") {
      o.outFile = value;
    } else if (arg == "--frames") {
      o.framesDir = value;
    } else if (arg == "--preset") {
      o.preset = value;
      if (std::find(std::begin(kPresets), std::end(kPresets), o.preset) == std::end(kPresets)) {
        return fail(
            "--preset needs one of ultrafast superfast veryfast faster fast medium slow "
            "slower veryslow");
      }
    } else {
      o.pngFile = value;
    }
  }
  int modes = !o.outFile.empty() + !o.framesDir.empty() + (o.at.has_value() || !o.pngFile.empty());
  if (modes != 1) {
    return fail("give exactly one of --out, --frames, or --at with --png");
  }
  if (o.at.has_value() != !o.pngFile.empty()) {
    return fail("--at and --png go together");
  }
  if (o.to && *o.to <= o.from) {
    return fail("--to must be later than --from");
  }
  return o;
}
