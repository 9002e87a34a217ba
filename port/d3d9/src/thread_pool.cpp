#include "thread_pool.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace d3d9impl {

namespace {

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
    ++generation_;
    lock.unlock();
    wake_.notify_all();
    drain();
    lock.lock();
    // No new helper may join once the work is gone; wait for those inside.
    helpers_ = 0;
    done_.wait(lock, [this] { return active_ == 0; });
    job_ = nullptr;
  }

 private:
  void drain() {
    for (int i = next_.fetch_add(1); i < count_; i = next_.fetch_add(1)) (*job_)(i);
  }

  void work() {
    std::uint64_t seen = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
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
  int active_ = 0;
  std::uint64_t generation_ = 0;
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
