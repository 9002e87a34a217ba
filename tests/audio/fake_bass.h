// A stand-in for the audio library that writes down every call, so the
// player's exact call sequences can be checked.
#pragma once

#include <bass.h>

#include <string>
#include <vector>

namespace fakebass {

struct Script {
  BOOL initResult = TRUE;
  HSTREAM createResult = 7;
  QWORD position = 0;
  QWORD length = 100 * 44100 * 4;
  float seconds = 0.0f;  // what Bytes2Seconds answers
  QWORD bytes = 0;       // what Seconds2Bytes answers
};

// Clears the record and sets what the next calls answer.
void reset(const Script& script = {});
const std::vector<std::string>& calls();

}  // namespace fakebass
