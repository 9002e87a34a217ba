// Stereo 44.1 kHz samples to an MP3 with its gapless (LAME) header.
#pragma once

#include <cstdint>
#include <vector>

#include "stereo_buffer.h"

// Empty on failure.
std::vector<std::uint8_t> encodeMp3(const StereoBuffer& music);
