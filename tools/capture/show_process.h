// Runs the show as a child process on the frame clock and follows its
// frame lines.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ShowRun {
  std::string program;                   // the vorkast05 executable
  std::string workDir;                   // the folder holding data/
  std::vector<std::string> environment;  // NAME=value, added to ours
};

// Where the show and its data are: beside this program, with data/ in the
// working folder or beside the program. Empty program when not found.
ShowRun locateShow(const char* argv0);

// Runs it; calls onFrame with the music time of every presented frame, and
// stillWanted whenever the show has printed nothing for a while; stops the
// show when either returns false. Returns the show's exit status, or -1
// when it could not be started or was stopped by a signal.
int runShow(const ShowRun& run, const std::function<bool(double)>& onFrame,
            const std::function<bool()>& stillWanted);

// Starts a program with arguments and returns its pid, or -1.
int spawn(const std::vector<std::string>& argv);
// Waits for a spawned program; its exit status, or -1.
int waitFor(int pid);
// Whether a spawned program has ended, without waiting; if so its status,
// as waitFor gives it, goes to *status (and waitFor must not be called).
bool hasEnded(int pid, int* status);
// Opens the FIFO for writing and closes it at once, so that a reader still
// waiting in its open for a writer goes on and finds the end. False when no
// reader has it open.
bool releaseReader(const std::string& fifo);
// True when a program of that name is on PATH.
bool onPath(const std::string& name);
