#include "raw_video_writer.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace win32port {
namespace {

// Frames drawn ahead of the encoder at most: enough to ride out its uneven
// pace, few enough to keep memory small (1.2 MB a frame).
constexpr std::size_t kQueuedFrames = 4;

// The pipe's room where the output is one: Linux's default upper limit for
// an unprivileged process, so that a frame goes over in two wake-ups of the
// encoder rather than twenty.
constexpr int kPipeBytes = 1 << 20;

// An encoder that quits closes the pipe, and the next write would raise
// SIGPIPE, whose default ends the show without a word. With the signal held
// back in the thread that writes (the writer thread for its whole life, or
// the presenting thread around each write where there is none) the write
// fails with EPIPE instead, which is reported like any other failed write.
// A signal left pending is taken back, so that it does not strike when the
// mask is restored.
class SigpipeHeld {
 public:
  SigpipeHeld() {
    sigemptyset(&pipe_);
    sigaddset(&pipe_, SIGPIPE);
    held_ = pthread_sigmask(SIG_BLOCK, &pipe_, &before_) == 0;
  }
  ~SigpipeHeld() {
    if (!held_) return;
    sigset_t pending;
    const timespec now{0, 0};
    if (sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
      sigtimedwait(&pipe_, nullptr, &now);
    }
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
  }
  SigpipeHeld(const SigpipeHeld&) = delete;
  SigpipeHeld& operator=(const SigpipeHeld&) = delete;

 private:
  sigset_t pipe_{};
  sigset_t before_{};
  bool held_ = false;
};

}  // namespace

RawVideoWriter::RawVideoWriter(const std::string& path) : path_(path) {
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) {
    std::fprintf(stderr, "vorkast: cannot open %s for raw video: %s\n", path.c_str(),
                 std::strerror(errno));
    return;
  }
  // Frames go out in whole writes of their own.
  std::setvbuf(file_, nullptr, _IONBF, 0);
  // Fails, harmlessly, where the output is no pipe.
  ::fcntl(fileno(file_), F_SETPIPE_SZ, kPipeBytes);
  try {
    writer_ = std::thread(&RawVideoWriter::drain, this);
  } catch (const std::system_error&) {
    // No thread: write() writes each frame itself.
  }
}

RawVideoWriter::~RawVideoWriter() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (writer_.joinable()) writer_.join();
  if (file_ != nullptr) std::fclose(file_);
}

bool RawVideoWriter::writeOut(const std::vector<std::uint8_t>& frame) {
  if (std::fwrite(frame.data(), 1, frame.size(), file_) == frame.size()) return true;
  std::fprintf(stderr, "vorkast: raw video to %s stopped: %s\n", path_.c_str(),
               std::strerror(errno));
  return false;
}

void RawVideoWriter::write(const std::uint32_t* pixels, int width, int height, int pitchPixels) {
  std::unique_lock lock(mutex_);
  if (file_ == nullptr || failed_) return;
  if (writer_.joinable()) {
    changed_.wait(lock, [this] { return queued_.size() < kQueuedFrames || failed_; });
    if (failed_) return;
  }
  std::vector<std::uint8_t> frame;
  if (!spare_.empty()) {
    frame = std::move(spare_.back());
    spare_.pop_back();
  }
  // The copy is made without the lock, so the writer thread may take the
  // previous frames meanwhile; frames come from one thread only, so the room
  // found in the queue stays.
  lock.unlock();
  // X8R8G8B8 words are B, G, R, X bytes in memory on this little-endian
  // machine: exactly ffmpeg's bgr0/bgra layout, so rows go out unchanged.
  const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
  frame.resize(rowBytes * static_cast<std::size_t>(height));
  for (int y = 0; y < height; ++y) {
    std::memcpy(frame.data() + rowBytes * static_cast<std::size_t>(y),
                pixels + static_cast<std::ptrdiff_t>(y) * pitchPixels, rowBytes);
  }
  lock.lock();
  if (!writer_.joinable()) {
    const SigpipeHeld held;
    failed_ = !writeOut(frame);
    return;
  }
  if (failed_) return;  // the writer failed while this one was copied
  queued_.push_back(std::move(frame));
  changed_.notify_all();
}

bool RawVideoWriter::failed() {
  std::lock_guard lock(mutex_);
  return file_ == nullptr || failed_;
}

void RawVideoWriter::drain() {
  // Held for the thread's whole life: it only ever writes frames.
  const SigpipeHeld held;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return !queued_.empty() || closing_; });
    if (queued_.empty()) return;  // closing, everything written
    std::vector<std::uint8_t> frame = std::move(queued_.front());
    queued_.pop_front();
    lock.unlock();
    const bool written = writeOut(frame);
    lock.lock();
    if (!written) {
      failed_ = true;
      queued_.clear();
    }
    spare_.push_back(std::move(frame));
    changed_.notify_all();
  }
}

}  // namespace win32port
