// vorkast05-capture when it is cut short: an encoder that fails or finishes
// first, Ctrl-C or a termination before and during the frames. Each run is
// a process group of its own, waited for with a bound, so that a capture
// that hangs fails its test and leaves nothing running.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kCapture = std::string(VORKAST_BINARY_DIR) + "/vorkast05-capture";
const std::string kBuild = VORKAST_BINARY_DIR;

fs::path scratch(const std::string& name) {
  return fs::path(::testing::TempDir()) /
         ("vorkast05_stops_" + std::to_string(::getpid()) + "_" + name);
}

// A file a test names, removed however the test ends.
struct ScratchFile {
  explicit ScratchFile(const std::string& name) : path(scratch(name)) {}
  ~ScratchFile() { fs::remove(path); }
  std::string str() const { return path.string(); }
  const fs::path path;
};

std::string readAll(const fs::path& path) {
  std::ifstream in(path);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// An "ffmpeg" on PATH ahead of the real one: a shell script that finds its
// raw input after "-i" as $2.
class FakeEncoder {
 public:
  FakeEncoder(const std::string& name, const std::string& body) : folder_(scratch(name)) {
    fs::create_directories(folder_);
    std::ofstream(folder_ / "ffmpeg") << "#!/bin/sh\nwhile [ \"$1\" != -i ]; do shift; done\n"
                                      << body;
    fs::permissions(folder_ / "ffmpeg", fs::perms::owner_all);
  }
  ~FakeEncoder() { fs::remove_all(folder_); }
  std::string pathEntry() const { return folder_.string() + ":"; }
  // A file the script writes in its own folder (as "$(dirname "$0")/name").
  bool wrote(const std::string& name) const { return fs::exists(folder_ / name); }

 private:
  fs::path folder_;
};

// One capture, its standard error in a file, its work folders in a TMPDIR
// of its own.
class CaptureRun {
 public:
  CaptureRun(const std::string& name, const std::string& arguments, const std::string& path = "")
      : tmp_(scratch(name + "_tmp")), log_(scratch(name + ".log")) {
    fs::create_directories(tmp_);
    const std::string command = "cd '" + kBuild + "' && PATH='" + path + "'\"$PATH\" TMPDIR='" +
                                tmp_.string() + "' exec '" + kCapture + "' " + arguments + " 2>'" +
                                log_.string() + "'";
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setpgid(0, 0);
      ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::setpgid(pid_, pid_);  // either side may come first
  }
  ~CaptureRun() {
    if (!ended_) finish(0s);
    fs::remove_all(tmp_);
    fs::remove(log_);
  }

  bool started() const { return pid_ > 0; }
  std::string said() const { return readAll(log_); }
  bool workFoldersLeft() const { return !fs::is_empty(tmp_); }
  // The FIFO to the encoder exists: the encoder is being started.
  bool encoderPipeMade() const {
    for (const fs::directory_entry& e : fs::recursive_directory_iterator(tmp_)) {
      if (e.path().filename() == "frames.raw") return true;
    }
    return false;
  }
  void signal(int number) const { ::kill(pid_, number); }

  // Polls `ready` every few milliseconds for up to `limit`.
  template <typename Ready>
  bool waitFor(Ready ready, std::chrono::milliseconds limit) const {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!ready()) {
      if (std::chrono::steady_clock::now() > until) return false;
      std::this_thread::sleep_for(5ms);
    }
    return true;
  }

  // The capture's wait status, or -1 when it had not ended by then: it and
  // everything it started are then killed.
  int finish(std::chrono::milliseconds limit) {
    int status = 0;
    const bool ended = waitFor([&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; }, limit);
    ended_ = true;
    if (ended) return status;
    ::kill(-pid_, SIGKILL);
    ::waitpid(pid_, &status, 0);
    return -1;
  }

  // True when no program of the capture's group is left running.
  bool groupGone() const { return ::kill(-pid_, 0) != 0 && errno == ESRCH; }

 private:
  fs::path tmp_, log_;
  pid_t pid_ = -1;
  bool ended_ = false;
};

TEST(CaptureStops, AnEncoderThatFailsEndsTheCaptureWithItsStatus) {
  // One frame taken, then the end, as a real ffmpeg does on a full disk: the
  // capture says so at once, rather than drawing the rest of the show for
  // nobody or dying of a broken pipe.
  const FakeEncoder encoder("failing",
                            "head -c 1228800 \"$2\" > /dev/null\n"
                            "echo 'ffmpeg: no space left' >&2\nexit 3\n");
  const ScratchFile out("failing.mp4");
  CaptureRun run("failing", "--from 30 --to 79 --out '" + out.str() + "'", encoder.pathEntry());
  ASSERT_TRUE(run.started());
  const int status = run.finish(120s);
  const std::string said = run.said();
  ASSERT_NE(status, -1) << "the capture hung: " << said;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << said;
  EXPECT_NE(said.find("ffmpeg stopped before the end of the show (status 3)"), std::string::npos)
      << said;
  long drawn = -1;  // the closing line: "capture: N frames in S s (F fps)"
  const std::size_t summary = said.find(" frames in ");
  ASSERT_NE(summary, std::string::npos) << said;
  const std::size_t line = said.rfind('\n', summary) + 1;  // 0 when it is the first
  ASSERT_EQ(std::sscanf(said.c_str() + line, "capture: %ld", &drawn), 1) << said;
  EXPECT_LT(drawn, 1000) << "the show went on drawing for nobody: " << said;
  EXPECT_TRUE(run.groupGone());
}

TEST(CaptureStops, AnEncoderThatFinishesFirstIsNoFailure) {
  // It reads every frame, and may be done before the show's last lines
  // reach the capture: that is a whole video.
  const FakeEncoder encoder("quick", "cat \"$2\" > /dev/null\nexit 0\n");
  const ScratchFile out("quick.mp4");
  CaptureRun run("quick", "--from 40 --to 41 --out '" + out.str() + "'", encoder.pathEntry());
  ASSERT_TRUE(run.started());
  const int status = run.finish(120s);
  const std::string said = run.said();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << said;
  EXPECT_NE(said.find("capture: 60 frames in"), std::string::npos) << said;
  EXPECT_NE(said.find("capture: wrote"), std::string::npos) << said;
}

TEST(CaptureStops, AnEncoderThatEndsWellButEarlyMadeNoWholeVideo) {
  // Status 0 after one frame of three hundred (as after a stray "q"): the
  // show ends there, and the capture does not call the video made.
  const FakeEncoder encoder("early_end", "head -c 1228800 \"$2\" > /dev/null\nexit 0\n");
  const ScratchFile out("early_end.mp4");
  CaptureRun run("early_end", "--from 40 --to 45 --out '" + out.str() + "'", encoder.pathEntry());
  ASSERT_TRUE(run.started());
  const int status = run.finish(120s);
  const std::string said = run.said();
  ASSERT_NE(status, -1) << "the capture hung: " << said;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << said;
  EXPECT_NE(said.find("ffmpeg stopped before the end of the show (status 0)"), std::string::npos)
      << said;
  EXPECT_EQ(said.find("capture: wrote"), std::string::npos) << said;
  EXPECT_EQ(said.find("capture: 300 frames in"), std::string::npos)
      << "the show went on drawing for nobody: " << said;
}

TEST(CaptureStops, AnEncoderThatDiesBeforeOpeningItsInputDoesNotHang) {
  // The show's first frame waits for a reader of the pipe that never comes.
  const FakeEncoder encoder("dead", "echo 'ffmpeg: cannot start' >&2\nexit 1\n");
  const ScratchFile out("dead.mp4");
  CaptureRun run("dead", "--from 40 --to 45 --out '" + out.str() + "'", encoder.pathEntry());
  ASSERT_TRUE(run.started());
  const int status = run.finish(60s);
  const std::string said = run.said();
  ASSERT_NE(status, -1) << "the capture hung: " << said;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << said;
  EXPECT_NE(said.find("ffmpeg stopped before the end of the show (status 1)"), std::string::npos)
      << said;
  EXPECT_TRUE(run.groupGone()) << "the show outlived the capture";
}

TEST(CaptureStops, AFrameThatCannotBeWrittenEndsTheCapture) {
  // The third frame's name is taken by a folder, as a full disk would stop
  // it: the show ends there rather than drawing the rest for nowhere.
  const fs::path folder = scratch("frames");
  fs::create_directories(folder / "frame_000003.png");
  CaptureRun run("frames", "--fps 10 --from 40 --to 45 --frames '" + folder.string() + "'");
  ASSERT_TRUE(run.started());
  const int status = run.finish(120s);
  const std::string said = run.said();
  fs::remove_all(folder);
  ASSERT_NE(status, -1) << "the capture hung: " << said;
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << said;
  EXPECT_NE(said.find("not every frame could be written to"), std::string::npos) << said;
  EXPECT_EQ(said.find("capture: 50 frames in"), std::string::npos)
      << "the show went on drawing for nowhere: " << said;
}

double videoSeconds(const fs::path& video) {
  const std::string probe = "ffprobe -v error -show_entries format=duration -of csv=p=0 '" +
                            video.string() + "' 2>/dev/null";
  FILE* pipe = popen(probe.c_str(), "r");
  double seconds = 0;
  if (pipe == nullptr) return 0;
  if (std::fscanf(pipe, "%lf", &seconds) != 1) seconds = 0;
  pclose(pipe);
  return seconds;
}

TEST(CaptureStops, AProgressReaderThatGoesAwayDoesNotStopIt) {
  // `vorkast05-capture ... 2>&1 | head -1`: the progress has nowhere to go
  // after the first line, and the video is made all the same. The shell
  // waits for the whole pipeline.
  const ScratchFile out("headed.mp4");
  const ScratchFile status("headed.status");
  const std::string command = "cd '" + kBuild + "' && { '" + kCapture +
                              "' --fps 30 --from 40 --to 42 --preset ultrafast --out '" +
                              out.str() + "'; echo $? > '" + status.str() +
                              "'; } 2>&1 | head -c 1 > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(readAll(status.path), "0\n") << "the capture's own exit status";
  EXPECT_NEAR(videoSeconds(out.path), 2.0, 0.1);
}

TEST(CaptureStops, AnInterruptDuringTheFramesKeepsWhatWasEncoded) {
  const ScratchFile out("interrupted.mp4");
  CaptureRun run("interrupted", "--from 30 --to 79 --preset ultrafast --out '" + out.str() + "'");
  ASSERT_TRUE(run.started());
  // A line with a speed: frames are coming.
  ASSERT_TRUE(run.waitFor([&] { return run.said().find("fps") != std::string::npos; }, 60s))
      << run.said();
  run.signal(SIGTERM);
  const int status = run.finish(60s);
  const std::string said = run.said();
  ASSERT_NE(status, -1) << "the capture hung: " << said;
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << said;
  EXPECT_NE(said.find("stopped by signal 15"), std::string::npos) << said;
  EXPECT_FALSE(run.workFoldersLeft());
  EXPECT_TRUE(run.groupGone()) << "the show or the encoder outlived the capture";
  // The encoder saw the end of its input and closed the video properly.
  EXPECT_GT(videoSeconds(out.path), 0.0) << "no playable video was left";
}

TEST(CaptureStops, AnInterruptBeforeTheFirstFrameDoesNotHang) {
  // The show has not opened the encoder's pipe yet, and the encoder waits
  // in its own open for a writer that will never come: it must be let go to
  // find the end of its input, not left there nor killed.
  const FakeEncoder encoder("waiting",
                            "here=$(dirname \"$0\")\n"
                            ": > \"$here/opening\"\n"
                            "exec 3< \"$2\"\n"  // waits for a writer
                            "cat <&3 > /dev/null\n"
                            ": > \"$here/released\"\n"
                            "exit 1\n");
  const ScratchFile out("early.mp4");
  CaptureRun run("early", "--from 30 --to 79 --out '" + out.str() + "'", encoder.pathEntry());
  ASSERT_TRUE(run.started());
  ASSERT_TRUE(run.waitFor([&] { return encoder.wrote("opening"); }, 30s));
  // Into its open, as a rule, and far sooner than the show's first frame.
  std::this_thread::sleep_for(30ms);
  run.signal(SIGTERM);
  const int status = run.finish(60s);
  const std::string said = run.said();
  ASSERT_NE(status, -1) << "the capture hung: " << said;
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << said;
  EXPECT_FALSE(run.workFoldersLeft());
  EXPECT_TRUE(run.groupGone()) << "the show or the encoder outlived the capture";
  EXPECT_TRUE(encoder.wrote("released")) << "the encoder was killed, not let go";
}

}  // namespace
