// Worker threads for the rasterizer. Work is a count of fixed items (bands
// of rows); which thread draws which band changes nothing in the picture.
#pragma once

#include <functional>

namespace d3d9impl {

// Runs job(0) .. job(count - 1) on up to `threads` threads (the caller's
// included) and returns when all are done.
void parallelFor(int count, int threads, const std::function<void(int)>& job);

}  // namespace d3d9impl
