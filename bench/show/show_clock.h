// Reading the show's printed lines as a clock: which lines are frames, which
// scene drew each frame, how long each took, and the steps of start-up.
#pragma once

#include <string>
#include <vector>

// One line of the show's output and when it arrived, in seconds after the
// process was started.
struct StampedLine {
  double at;
  std::string text;
};

// The music time t of an "fps = ...\ttime = t" line; false for other lines.
bool frameTime(const std::string& line, double& t);

struct SceneTimes {
  const char* name;
  double start;  // a music time just inside the scene's window; -1 for none
  std::vector<double> frameSeconds;
};

// The four scenes in show order, then "none" for frames whose t lies in no
// scene's window (the exact boundaries).
std::vector<SceneTimes> emptyScenes();
// Index into emptyScenes() of the scene that draws at music time t.
int sceneAt(double t);

// Adds the time of each frame but a run's first (which carries start-up) to
// the scene that drew it.
void addFrames(const std::vector<StampedLine>& lines, std::vector<SceneTimes>& scenes);

// Seconds after process start; 0 where the line did not come.
struct Startup {
  double device = 0;      // "happy device": the window and the device exist
  double globals = 0;     // the frame target: every global object is built
  double firstFrame = 0;  // the first frame's line: music, pictures, one frame
};
Startup startupOf(const std::vector<StampedLine>& lines);

// When the music started, in seconds after process start, from a run on the
// real-time clock (VORKAST_AUDIO=clock): the second frame reads the music
// time right after the first frame's line, so the music began that long
// before the line arrived. The pipe's delay can only make it later. 0
// without two frames.
double musicStartOf(const std::vector<StampedLine>& lines);

struct Summary {
  double median = 0;
  double worst = 0;
  double mean = 0;
};
Summary summarize(std::vector<double> values);
