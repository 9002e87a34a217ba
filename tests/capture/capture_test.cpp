// vorkast05-capture as a user runs it: a short video, single pictures, and
// clear failures for bad requests.
#include <gtest/gtest.h>
#include <png.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kCapture = std::string(VORKAST_BINARY_DIR) + "/vorkast05-capture";
const std::string kBuild = VORKAST_BINARY_DIR;

int run(const std::string& arguments, std::string* output = nullptr) {
  std::string command = "cd '" + kBuild + "' && '" + kCapture + "' " + arguments + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[1024];
  std::string text;
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  int status = pclose(pipe);
  if (output != nullptr) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// An output named after this process, so that two test runs at once (a
// developer's and CI's) never write one another's files; removed afterwards.
struct ScratchFile {
  explicit ScratchFile(const std::string& name)
      : path(::testing::TempDir() + "/vorkast05_capture_" + std::to_string(::getpid()) + "_" +
             name) {}
  ~ScratchFile() { std::remove(path.c_str()); }
  const std::string path;
};

struct Picture {
  unsigned width = 0, height = 0;
  std::vector<unsigned char> rgb;
};

Picture readPng(const std::string& path) {
  Picture p;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return p;
  image.format = PNG_FORMAT_RGB;
  p.rgb.resize(PNG_IMAGE_SIZE(image));
  if (png_image_finish_read(&image, nullptr, p.rgb.data(), 0, nullptr)) {
    p.width = image.width;
    p.height = image.height;
  }
  return p;
}

long brightPixels(const Picture& p) {
  long n = 0;
  for (std::size_t i = 0; i + 2 < p.rgb.size(); i += 3)
    n += (p.rgb[i] | p.rgb[i + 1] | p.rgb[i + 2]) > 8;
  return n;
}

TEST(Capture, TwoSecondsMakeAVideoOfThatLength) {
  const ScratchFile outFile("two_seconds.mp4");
  const std::string& out = outFile.path;
  std::string log;
  ASSERT_EQ(run("--fps 30 --from 40 --to 42 --preset ultrafast --out '" + out + "'", &log), 0)
      << log;
  // x264 names its settings in the stream; ultrafast is the one without CABAC.
  std::ifstream video(out, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(video)), {});
  EXPECT_NE(bytes.find("cabac=0"), std::string::npos) << "the preset did not reach the encoder";
  std::string probe =
      "ffprobe -v error -count_frames -select_streams v:0 -show_entries "
      "stream=nb_read_frames -of csv=p=0 '" +
      out + "'";
  FILE* pipe = popen(probe.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  int frames = 0;
  ASSERT_EQ(std::fscanf(pipe, "%d", &frames), 1);
  pclose(pipe);
  EXPECT_EQ(frames, 60);
  std::string duration = "ffprobe -v error -show_entries format=duration -of csv=p=0 '" + out + "'";
  pipe = popen(duration.c_str(), "r");
  double seconds = 0;
  ASSERT_EQ(std::fscanf(pipe, "%lf", &seconds), 1);
  pclose(pipe);
  EXPECT_NEAR(seconds, 2.0, 0.1);
}

TEST(Capture, OnePictureAtAGivenTime) {
  // A name a shell would split or end early: the picture must still arrive.
  const ScratchFile textFile("at 31 \"Bob's\".png");
  const std::string& text = textFile.path;
  std::string quoted;  // for the shell that runs the test's command
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  std::string log;
  ASSERT_EQ(run("--at 31 --png '" + quoted + "'", &log), 0) << log;
  Picture p = readPng(text);
  EXPECT_EQ(p.width, 640u);
  EXPECT_EQ(p.height, 480u);
  EXPECT_GT(brightPixels(p), 640 * 480 / 2) << "the text scene fills the screen";

  const ScratchFile afterFile("at98.png");
  const std::string& after = afterFile.path;
  ASSERT_EQ(run("--at 98.1 --png '" + after + "'"), 0);
  Picture black = readPng(after);
  EXPECT_EQ(black.width, 640u);
  EXPECT_EQ(brightPixels(black), 0) << "no scene runs after 98 s";
}

TEST(Capture, BadRequestsFailWithAMessage) {
  std::string log;
  EXPECT_NE(run("--fast", &log), 0);
  EXPECT_NE(log.find("unknown option --fast"), std::string::npos) << log;
  EXPECT_EQ(run("--help", &log), 0);
  EXPECT_EQ(log.rfind("usage: vorkast05-capture", 0), 0u) << log;
  EXPECT_NE(run("--fps", &log), 0);
  EXPECT_NE(log.find("--fps needs a value"), std::string::npos) << log;
  EXPECT_NE(run("--fps 0 --out x.mp4", &log), 0);
  EXPECT_NE(run("--preset warp --out x.mp4", &log), 0);
  EXPECT_NE(log.find("--preset needs one of ultrafast"), std::string::npos) << log;
  EXPECT_NE(run("--at 31", &log), 0);
  EXPECT_NE(log.find("--at and --png go together"), std::string::npos) << log;
  EXPECT_NE(run("--out /nonexistent/folder/video.mp4", &log), 0);
  EXPECT_NE(log.find("cannot write /nonexistent/folder/video.mp4"), std::string::npos) << log;
}

TEST(Capture, MissingFfmpegSaysHowToInstallIt) {
  const ScratchFile outFile("no_ffmpeg.mp4");
  const std::string& out = outFile.path;
  // Its work folder goes too, though no program on PATH could remove it.
  const std::string tmp = ::testing::TempDir() + "/vorkast05_tmp_" + std::to_string(::getpid());
  ASSERT_TRUE(std::filesystem::create_directories(tmp));
  std::string command = "cd '" + kBuild + "' && PATH=/nonexistent TMPDIR='" + tmp + "' '" +
                        kCapture + "' --out '" + out + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  char buffer[512] = {};
  std::string text;
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
  int status = pclose(pipe);
  EXPECT_NE(status, 0);
  EXPECT_NE(text.find("apt-get install ffmpeg"), std::string::npos) << text;
  EXPECT_TRUE(std::filesystem::is_empty(tmp)) << "a work folder was left in " << tmp;
  std::filesystem::remove_all(tmp);
}

}  // namespace
