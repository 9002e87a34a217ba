// The twenty picture files the show registers, in registration order, as
// names below the texture folder. Kept apart from the registrations so that
// tools and benchmarks can read the list without the show's globals.
#pragma once

#include <string>
#include <vector>

const std::vector<std::string>& showPictureNames();
