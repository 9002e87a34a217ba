// Image files prepared on a second thread ahead of their loading. While one
// lives, D3DXCreateTextureFromFileA takes a listed file's prepared result
// instead of doing the work itself, so the caller's thread can meanwhile do
// something else (the show decodes its music). Results are taken in any
// order; a file that is asked for before the worker reached it is prepared
// by the asking thread, which also prepares files further down the list
// while the worker is still at the one it asked for. Nothing here prints or touches the device, so
// what the loading shows and in which order stays the caller's.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "prepared_picture.h"

class PicturePrefetch {
 public:
  explicit PicturePrefetch(std::vector<std::string> paths);
  ~PicturePrefetch();
  PicturePrefetch(const PicturePrefetch&) = delete;
  PicturePrefetch& operator=(const PicturePrefetch&) = delete;

  // The one whose results the loader takes: the newest alive (null if none).
  static PicturePrefetch* active();

  // The prepared result of a listed path not taken yet, waiting for it when
  // the worker is at it; nothing for a path not (or no longer) listed.
  std::optional<imageload::PreparedPicture> take(const std::string& path);

  // Listed paths whose results were never taken.
  std::size_t untaken() const;

  // For reports and tests of how the work is shared: listed files that
  // asking threads prepared while the worker was at the one they asked for,
  // and files being prepared now by anybody.
  std::size_t sparesPrepared() const;
  std::size_t beingPrepared() const;

 private:
  enum class State { Waiting, Working, Ready, Taken };
  struct Slot {
    std::string path;
    State state = State::Waiting;
    imageload::PreparedPicture picture;
  };

  void work();
  bool mayStartAnother() const;  // with mutex_ held
  Slot* lastWaiting();           // with mutex_ held; null if none
  // Prepares a waiting slot with the mutex let go meanwhile; held on return.
  void prepareLocked(Slot& slot, std::unique_lock<std::mutex>& lock);

  std::vector<Slot> slots_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t readyBytes_ = 0;  // prepared and not yet taken
  std::size_t sparesPrepared_ = 0;
  bool stopping_ = false;
  std::thread worker_;
  PicturePrefetch* previous_;
};
