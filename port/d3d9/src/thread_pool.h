// Worker threads for the rasterizer. Work is a count of fixed items (bands
// of rows); which thread draws which band changes nothing in the picture.
#pragma once

#include <memory>

namespace d3d9impl {

// A job passed by reference: the callable stays the caller's, so handing
// it to the workers copies nothing onto the heap (as std::function would
// for any lambda with more than two captures).
class JobRef {
 public:
  template <typename Job>
  explicit JobRef(const Job& job)
      : object_(std::addressof(job)),
        call_([](const void* object, int index) { (*static_cast<const Job*>(object))(index); }) {}

  void operator()(int index) const { call_(object_, index); }

 private:
  const void* object_;
  void (*call_)(const void*, int);
};

// Runs job(0) .. job(count - 1) on up to `threads` threads (the caller's
// included) and returns when all are done.
void parallelFor(int count, int threads, JobRef job);

template <typename Job>
void parallelFor(int count, int threads, const Job& job) {
  parallelFor(count, threads, JobRef(job));
}

}  // namespace d3d9impl
