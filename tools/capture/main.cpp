// vorkast05-capture: the show rendered offline on its frame clock, to an MP4
// with the music, to a folder of PNG frames, or to one PNG.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "capture_options.h"
#include "interrupts.h"
#include "progress.h"
#include "show_process.h"

namespace {

constexpr double kShowEnd = 98.27;
const char kMusic[] = "data/music/Molte_-_VorkastInvtro(1).mp3";

std::string fmt(double v) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.6f", v);
  return buffer;
}

// A private folder for the key script, the pipe and single frames.
std::string makeWorkFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vorkast05-capture.XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) return {};
  return pattern;
}

// Escape at the pump after the last wanted frame ends the show there.
long frameCount(const CaptureOptions& o) {
  double end = o.to ? std::min(*o.to, kShowEnd) : kShowEnd;
  return std::max(1L, static_cast<long>(std::ceil((end - o.from) * o.fps - 1e-9)));
}

int fail(const std::string& message) {
  std::fprintf(stderr, "vorkast05-capture: %s\n", message.c_str());
  return 1;
}

// The show was stopped because carryOn said so, or ended short of the
// frames asked for because its output went (the port ends it then); the
// caller knows why.
constexpr int kStopped = -2;
// The show was stopped by an interrupt; main says so.
constexpr int kInterrupted = -3;

// Runs the show for `frames` frames; *seen counts the frames it reported.
int captureFrames(
    const ShowRun& base, const CaptureOptions& o, const std::string& work,
    const std::vector<std::string>& extraEnv, long frames, long* seen = nullptr,
    const std::function<bool()>& carryOn = [] { return true; }) {
  ShowRun run = base;
  std::string keys = work + "/keys.txt";
  if (FILE* f = std::fopen(keys.c_str(), "w")) {
    std::fprintf(f, "%ld ESCAPE down\n", frames);
    std::fclose(f);
  } else {
    return fail("cannot write " + keys);
  }
  run.environment = {"VORKAST_VIDEO=none", "VORKAST_AUDIO=frames", "VORKAST_FPS=" + fmt(o.fps),
                     "VORKAST_START=" + fmt(o.from), "VORKAST_KEYS=" + keys};
  run.environment.insert(run.environment.end(), extraEnv.begin(), extraEnv.end());
  Progress progress(frames, ::isatty(STDERR_FILENO) != 0, stderr);
  long done = 0;
  double lastTime = o.from;
  bool stopped = false;
  auto wanted = [&] { return !(stopped = stopped || !carryOn()); };
  int status = runShow(
      run,
      [&](double t) {
        progress.update(++done);
        lastTime = t;
        return wanted();
      },
      wanted);
  progress.finish(done);
  if (seen != nullptr) *seen = done;
  if (interrupts::caught() != 0) return kInterrupted;
  if (stopped) return kStopped;
  if (status != 0) return fail("the show ended with status " + std::to_string(status));
  if (done == 0) return fail("the show presented no frame in that time");
  // Fewer frames than asked for are the end of the show only within a frame
  // or so of it (the show's clock is single precision).
  if (done < frames && lastTime < kShowEnd - 1.5 / o.fps) return kStopped;
  return 0;
}

// The MP4: the show's raw frames through a FIFO into ffmpeg, with the music.
int captureVideo(const ShowRun& show, const CaptureOptions& o, const std::string& work) {
  if (!onPath("ffmpeg")) return fail("ffmpeg is not installed; on Debian: apt-get install ffmpeg");
  FILE* probe = std::fopen(o.outFile.c_str(), "wb");
  if (probe == nullptr) return fail("cannot write " + o.outFile + ": " + std::strerror(errno));
  std::fclose(probe);
  const std::string pipe = work + "/frames.raw";
  if (::mkfifo(pipe.c_str(), 0600) != 0) {
    return fail(std::string("cannot make a pipe: ") + std::strerror(errno));
  }
  const std::string music = show.workDir + "/" + kMusic;
  // Frame 0 shows music time `from`, so the music starts there too.
  // No standard input: a key read from it (q) would end the video early.
  const int encoder =
      spawn({"ffmpeg",   "-nostdin", "-loglevel", "error",     "-y",         "-f",       "rawvideo",
             "-pix_fmt", "bgr0",     "-s",        "640x480",   "-framerate", fmt(o.fps), "-i",
             pipe,       "-ss",      fmt(o.from), "-i",        music,        "-map",     "0:v",
             "-map",     "1:a?",     "-c:v",      "libx264",   "-preset",    o.preset,   "-pix_fmt",
             "yuv420p",  "-c:a",     "aac",       "-shortest", o.outFile});
  if (encoder < 0) return fail("ffmpeg could not be started");
  int encoded = 0;
  bool encoderGone = false;
  long seen = 0;
  // An encoder that fails ends the capture there: the rest of the show would
  // be drawn for nobody. One that finished well may simply have read the
  // last frame before the show's last lines came; one that finished early
  // closed the pipe, and the show then ends short of its frames.
  int result =
      captureFrames(show, o, work, {"VORKAST_RAWVIDEO=" + pipe}, frameCount(o), &seen, [&] {
        if (!encoderGone) encoderGone = hasEnded(encoder, &encoded);
        return !(encoderGone && encoded != 0);
      });
  // A show that ended before its first frame may never have opened the
  // pipe, and the encoder would wait in its own open for ever: it is let go
  // to find the end, or, not there yet, stopped (it has no frame to lose).
  if (!encoderGone && seen == 0 && !releaseReader(pipe)) {
    encoderGone = hasEnded(encoder, &encoded);
    if (!encoderGone) ::kill(encoder, SIGKILL);
  }
  if (!encoderGone) encoded = waitFor(encoder);
  if (result == kStopped) {
    return fail("ffmpeg stopped before the end of the show (status " + std::to_string(encoded) +
                ") after " + std::to_string(seen) + " frames; no complete video was made");
  }
  if (result != 0) return result;
  if (encoded != 0) return fail("ffmpeg could not make the video");
  std::fprintf(stderr, "capture: wrote %s\n", o.outFile.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto parsed = parseCaptureOptions(argc, argv, error);
  if (!parsed) {
    std::fprintf(stderr, "vorkast05-capture: %s\n%s", error.c_str(), kCaptureUsage);
    return 2;
  }
  CaptureOptions o = *parsed;
  if (o.help) {
    std::fputs(kCaptureUsage, stdout);
    return 0;
  }
  // Progress lines to a reader that has gone (`| head`) must not end the
  // capture halfway, with the show left running and the work folder behind.
  std::signal(SIGPIPE, SIG_IGN);
  ShowRun show = locateShow(argv[0]);
  if (show.program.empty()) return fail("cannot find the vorkast05 program beside this one");
  if (show.workDir.empty()) return fail("no data/ folder here or beside vorkast05");
  interrupts::catchThem();
  std::string work = makeWorkFolder();
  if (work.empty()) return fail(std::string("cannot make a work folder: ") + std::strerror(errno));

  int result = 0;
  if (o.at) {
    // One frame at that time: the show starts there and stops after it.
    o.from = *o.at;
    std::string folder = work + "/frame";
    result = captureFrames(show, o, work, {"VORKAST_FRAMES=" + folder}, 1);
    if (result == kStopped) result = fail("the picture could not be written");
    if (result == 0) {
      std::error_code copyError;
      std::filesystem::copy_file(folder + "/frame_000001.png", o.pngFile,
                                 std::filesystem::copy_options::overwrite_existing, copyError);
      if (copyError) result = fail("cannot write " + o.pngFile + ": " + copyError.message());
    }
  } else if (!o.framesDir.empty()) {
    if (::mkdir(o.framesDir.c_str(), 0777) != 0 && errno != EEXIST) {
      result = fail("cannot create " + o.framesDir + ": " + std::strerror(errno));
    } else {
      result = captureFrames(show, o, work, {"VORKAST_FRAMES=" + o.framesDir}, frameCount(o));
      if (result == kStopped) result = fail("not every frame could be written to " + o.framesDir);
    }
  } else {
    result = captureVideo(show, o, work);
  }
  const int caught = interrupts::caught();
  if (caught != 0) {
    std::fprintf(stderr,
                 "vorkast05-capture: stopped by signal %d (%s); the output may be incomplete\n",
                 caught, strsignal(caught));
  }
  std::error_code removeError;
  std::filesystem::remove_all(work, removeError);
  if (removeError) {
    std::fprintf(stderr, "capture: left %s: %s\n", work.c_str(), removeError.message().c_str());
  }
  if (caught != 0) {
    // Ended by the signal itself, so that a shell loop around the capture
    // stops on Ctrl-C as it would for any program.
    std::signal(caught, SIG_DFL);
    std::raise(caught);
    return 128 + caught;
  }
  return result;
}
