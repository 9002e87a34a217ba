#include "picture_prefetch.h"

#include <system_error>

namespace {

// Results the worker may hold before it waits for them to be taken: far
// above what the show's pictures need at once, low enough that a folder of
// huge ones does not double what loading them takes.
constexpr std::size_t kReadyBytesBudget = std::size_t{64} << 20;

// Set and read on the thread that makes the prefetch and loads the textures.
PicturePrefetch* g_active = nullptr;

}  // namespace

PicturePrefetch::PicturePrefetch(std::vector<std::string> paths) : previous_(g_active) {
  slots_.reserve(paths.size());
  for (std::string& path : paths) slots_.push_back(Slot{std::move(path), State::Waiting, {}});
  try {
    worker_ = std::thread(&PicturePrefetch::work, this);
  } catch (const std::system_error&) {
    // No second thread: take() prepares every file itself, as without one.
  }
  g_active = this;
}

PicturePrefetch::~PicturePrefetch() {
  g_active = previous_;
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
}

PicturePrefetch* PicturePrefetch::active() { return g_active; }

bool PicturePrefetch::mayStartAnother() const {
  return stopping_ || readyBytes_ < kReadyBytesBudget;
}

PicturePrefetch::Slot* PicturePrefetch::lastWaiting() {
  for (auto slot = slots_.rbegin(); slot != slots_.rend(); ++slot) {
    if (slot->state == State::Waiting) return &*slot;
  }
  return nullptr;
}

void PicturePrefetch::prepareLocked(Slot& slot, std::unique_lock<std::mutex>& lock) {
  slot.state = State::Working;
  lock.unlock();
  imageload::PreparedPicture picture = imageload::preparePicture(slot.path.c_str());
  lock.lock();
  slot.picture = std::move(picture);
  slot.state = State::Ready;
  readyBytes_ += slot.picture.bytes();
  changed_.notify_all();
}

void PicturePrefetch::work() {
  std::unique_lock lock(mutex_);
  for (Slot& slot : slots_) {
    changed_.wait(lock, [this] { return mayStartAnother(); });
    if (stopping_) return;
    if (slot.state != State::Waiting) continue;  // the asking thread took it on
    prepareLocked(slot, lock);
  }
}

std::optional<imageload::PreparedPicture> PicturePrefetch::take(const std::string& path) {
  std::unique_lock lock(mutex_);
  for (Slot& slot : slots_) {
    if (slot.path != path || slot.state == State::Taken) continue;
    if (slot.state == State::Waiting) {
      slot.state = State::Taken;
      lock.unlock();
      return imageload::preparePicture(path.c_str());
    }
    // While the worker is at this one, the asking thread prepares one that
    // would otherwise wait for the worker: the last still waiting, so that
    // the two do not meet in the middle of the list; within the same budget
    // of results held as the worker.
    while (slot.state == State::Working) {
      Slot* spare = mayStartAnother() ? lastWaiting() : nullptr;
      if (spare == nullptr) {
        changed_.wait(lock, [&slot] { return slot.state != State::Working; });
        break;
      }
      ++sparesPrepared_;
      prepareLocked(*spare, lock);
    }
    slot.state = State::Taken;
    readyBytes_ -= slot.picture.bytes();
    imageload::PreparedPicture picture = std::move(slot.picture);
    slot.picture = {};
    changed_.notify_all();
    return picture;
  }
  return std::nullopt;
}

std::size_t PicturePrefetch::untaken() const {
  std::lock_guard lock(mutex_);
  std::size_t count = 0;
  for (const Slot& slot : slots_) count += slot.state != State::Taken ? 1 : 0;
  return count;
}

std::size_t PicturePrefetch::sparesPrepared() const {
  std::lock_guard lock(mutex_);
  return sparesPrepared_;
}

std::size_t PicturePrefetch::beingPrepared() const {
  std::lock_guard lock(mutex_);
  std::size_t count = 0;
  for (const Slot& slot : slots_) count += slot.state == State::Working ? 1 : 0;
  return count;
}
