#include "thread_pool.h"

#include <emmintrin.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace d3d9impl {

namespace {

// A worker that finishes its share watches for the next job this long
// before it sleeps: a frame's draws follow each other within microseconds,
// and waking a sleeping thread costs tens of them, longer than many a
// draw's whole share of work.
constexpr std::chrono::microseconds kWatchBeforeSleep{200};

class Pool {
 public:
  ~Pool() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    for (std::thread& t : workers_) t.join();
  }

  void run(int count, int threads, JobRef job) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (static_cast<int>(workers_.size()) < threads - 1) {
      workers_.emplace_back([this] { work(); });
    }
    job_ = &job;
    count_ = count;
    next_.store(0);
    helpers_ = threads - 1;
    active_ = 0;
    generation_.fetch_add(1, std::memory_order_release);
    lock.unlock();
    wake_.notify_all();
    drain();
    lock.lock();
    // No new helper may join once the work is gone; wait for those inside.
    helpers_ = 0;
    if (active_.load() != 0) {
      // Their last items end within microseconds, as a rule: watched for,
      // not slept on, as a sleeping thread's wake-up costs tens of them.
      lock.unlock();
      watchUntil([this] { return active_.load(std::memory_order_acquire) == 0; });
      lock.lock();
    }
    done_.wait(lock, [this] { return active_.load() == 0; });
    job_ = nullptr;
  }

 private:
  void drain() {
    for (int i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1)) (*job_)(i);
  }

  // Returns when done() holds, or after the watch.
  template <class Done>
  static void watchUntil(const Done& done) {
    const auto until = std::chrono::steady_clock::now() + kWatchBeforeSleep;
    int polls = 0;
    while (!done()) {
      _mm_pause();
      if (++polls % 64 == 0 && std::chrono::steady_clock::now() >= until) return;
    }
  }

  void work() {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
      lock.unlock();
      watchUntil([&] { return generation_.load(std::memory_order_acquire) != seen; });
      lock.lock();
      wake_.wait(lock, [&] { return stop_ || (generation_ != seen && helpers_ > 0); });
      if (stop_) return;
      seen = generation_;
      --helpers_;
      ++active_;
      lock.unlock();
      drain();
      lock.lock();
      if (--active_ == 0) done_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_, done_;
  std::vector<std::thread> workers_;
  const JobRef* job_ = nullptr;
  std::atomic<int> next_{0};
  int count_ = 0;
  int helpers_ = 0;
  // Changed under the lock; read without it while the poster watches.
  std::atomic<int> active_{0};
  // Changed under the lock; read without it while a worker watches.
  std::atomic<std::uint64_t> generation_{0};
  bool stop_ = false;
};

Pool& pool() {
  static Pool instance;
  return instance;
}

}  // namespace

void parallelFor(int count, int threads, JobRef job) {
  if (count <= 0) return;
  if (threads <= 1 || count == 1) {
    for (int i = 0; i < count; ++i) job(i);
    return;
  }
  pool().run(count, threads < count ? threads : count, job);
}

}  // namespace d3d9impl
