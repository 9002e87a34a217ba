// The whole show, run as a user runs it but headless and on the frame clock:
// what it prints, how it ends, and how the keys move the music.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string kProgram = std::string(VORKAST_BINARY_DIR) + "/vorkast05";
const std::string kData = std::string(VORKAST_BINARY_DIR) + "/data";

struct ShowResult {
  int status = -1;
  std::vector<std::string> lines;
  std::vector<double> times;  // the time of every fps line
};

// Runs the show in a fresh folder whose data/ is the given folder.
ShowResult runShow(const std::string& name, const std::string& keys, const std::string& env,
                   const std::string& data = kData) {
  std::string dir = ::testing::TempDir() + "/show_" + name;
  std::string setup = "rm -rf '" + dir + "' && mkdir -p '" + dir + "'";
  setup += " && ln -s '" + data + "' '" + dir + "/data'";
  EXPECT_EQ(std::system(setup.c_str()), 0);
  std::ofstream(dir + "/keys.txt") << keys;
  std::string command = "cd '" + dir +
                        "' && VORKAST_VIDEO=none VORKAST_AUDIO=frames VORKAST_KEYS=keys.txt " +
                        env + " timeout 300 '" + kProgram + "' 2>stderr.txt";
  ShowResult run;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::string out;
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) out += buffer;
  int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    run.lines.push_back(line);
    double rate = 0, time = 0;
    if (std::sscanf(line.c_str(), "fps = %lf\ttime = %lf", &rate, &time) == 2 ||
        (line.rfind("fps = inf", 0) == 0 &&
         std::sscanf(line.c_str(), "fps = inf\ttime = %lf", &time) == 1)) {
      run.times.push_back(time);
    }
  }
  return run;
}

std::vector<std::string> exitListing() {
  std::vector<std::string> names = {"yellow_frame2.png",
                                    "vorkast/d.png",
                                    "render_target",
                                    "vorkast/white.png",
                                    "vorkast/gulfisk.png",
                                    "vorkast/ribbon.png",
                                    "vorkast/overup.png",
                                    "vorkast/lort.png",
                                    "vorkast/text/cuffercup.png",
                                    "vorkast/text/text01.png",
                                    "vorkast/text/text02.png",
                                    "vorkast/text/text03.png",
                                    "vorkast/text/text04.png",
                                    "vorkast/text/text05.png",
                                    "vorkast/text/text06.png",
                                    "vorkast/text/text07.png",
                                    "vorkast/text/text_overlay01.png",
                                    "vorkast/text/text_overlay02.png",
                                    "vorkast/text/text_overlay03.png",
                                    "vorkast/text/cred.png",
                                    "vorkast/text/hore.png",
                                    "target_a",
                                    "target_b",
                                    "target_c",
                                    "target_d"};
  std::vector<std::string> lines = {"render_to_texture goes to bed", "",
                                    "bitchybitchyfizzle on tha doggywizzle, size = 25"};
  for (auto it = names.rbegin(); it != names.rend(); ++it) lines.push_back("\t" + *it);
  return lines;
}

TEST(Show, PrintsItsStartUpFramesAndExitListingAndEndsOnEscape) {
  ShowResult run = runShow("escape", "5 ESCAPE down\n", "");
  EXPECT_EQ(run.status, 0);
  ASSERT_GE(run.lines.size(), 3u + 5u + 28u);
  EXPECT_EQ(run.lines[0], "happy device");
  EXPECT_EQ(run.lines[1], "bitching the bitch-init");
  EXPECT_EQ(run.lines[2], "render_to_texture is up and running free");
  ASSERT_EQ(run.times.size(), 5u) << "Escape found at the fifth pump after a frame";
  EXPECT_EQ(run.lines[3], "fps = inf\ttime = 0.000000");
  EXPECT_NEAR(run.times[4], 4.0 / 60.0, 1e-5);
  std::vector<std::string> tail(run.lines.end() - 28, run.lines.end());
  EXPECT_EQ(tail, exitListing());
  EXPECT_EQ(run.lines.size(), 3u + 5u + 28u) << "no failure lines with every file present";
}

TEST(Show, EscapeBeforeTheFirstFramePresentsNothing) {
  ShowResult run = runShow("escape_first", "0 ESCAPE down\n", "");
  EXPECT_EQ(run.status, 0);
  EXPECT_TRUE(run.times.empty());
  ASSERT_EQ(run.lines.size(), 3u + 28u);
}

TEST(Show, EndsByItselfAfterItsLastSecond) {
  ShowResult run = runShow("end", "", "VORKAST_START=98.0");
  EXPECT_EQ(run.status, 0);
  ASSERT_FALSE(run.times.empty());
  EXPECT_LE(run.times.back(), 98.27);
  EXPECT_GT(run.times.back() + 1.0 / 60.0 + 1e-4, 98.27) << "the very next pass ended it";
  EXPECT_EQ(run.lines.back(), "\tyellow_frame2.png");
}

TEST(Show, SeekKeysInOnePassAddUp) {
  ShowResult run = runShow("qw", "1 Q down\n1 W down\n2 Q up\n2 W up\n3 ESCAPE down\n", "");
  ASSERT_EQ(run.times.size(), 3u);
  EXPECT_NEAR(run.times[1], 1.0 / 60.0 + 0.01 + 0.1, 1e-5);
  EXPECT_NEAR(run.times[2], run.times[1] + 1.0 / 60.0, 1e-4) << "the music was sought there";
}

TEST(Show, ResumeWithoutPauseJumpsToTheStart) {
  ShowResult run = runShow("d", "1 D down\n2 D up\n3 ESCAPE down\n", "VORKAST_START=50");
  ASSERT_EQ(run.times.size(), 3u);
  EXPECT_NEAR(run.times[1], 50.0 + 1.0 / 60.0, 1e-4) << "t itself is not changed in that pass";
  EXPECT_NEAR(run.times[2], 1.0 / 60.0, 1e-4);
}

TEST(Show, PauseHoldsTheTimeAndResumeGoesOnFromIt) {
  ShowResult run =
      runShow("ed", "2 E down\n3 E up\n6 D down\n7 D up\n9 ESCAPE down\n", "VORKAST_START=20");
  ASSERT_EQ(run.times.size(), 9u);
  double paused = run.times[2];
  for (int i = 3; i < 6; ++i) EXPECT_EQ(run.times[i], paused) << "frame " << i;
  EXPECT_NEAR(run.times[7], paused + 1.0 / 60.0, 1e-4);
}

TEST(Show, RunsToTheEndWithEveryPictureMissing) {
  std::string data = ::testing::TempDir() + "/show_music_only";
  std::string setup = "rm -rf '" + data + "' && mkdir -p '" + data + "/music' && cp '" + kData +
                      "/music/Molte_-_VorkastInvtro(1).mp3' '" + data + "/music/'";
  ASSERT_EQ(std::system(setup.c_str()), 0);
  ShowResult run = runShow("nopictures", "", "VORKAST_START=97.9", data);
  EXPECT_EQ(run.status, 0);
  int missing = 0;
  for (const std::string& line : run.lines) {
    missing += line.rfind("Loading Texture, data/textures/", 0) == 0;
  }
  EXPECT_EQ(missing, 20);
  EXPECT_EQ(run.lines[3], "Loading Texture, data/textures/yellow_frame2.png");
  EXPECT_GT(run.times.size(), 10u);
}

}  // namespace
