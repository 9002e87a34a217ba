// The show's music: about 100 s of our own synthesis at 44.1 kHz stereo, in
// four sections that meet the scenes (song_plan.h).
#pragma once

#include "stereo_buffer.h"

// Deterministic: the same samples every time. Peaks stay below -1 dBFS.
StereoBuffer synthesizeMusic();
