#include "present_hook.h"

#include <utility>
#include <vector>

namespace port {
namespace {

struct Entry {
  int id;
  FrameListener listener;
};

// Presenting happens on the show's one thread, so no lock is needed.
std::vector<Entry>& listeners() {
  static std::vector<Entry> all;
  return all;
}

int g_nextId = 1;

}  // namespace

int addFrameListener(FrameListener listener) {
  int id = g_nextId++;
  listeners().push_back(Entry{id, std::move(listener)});
  return id;
}

void removeFrameListener(int id) {
  auto& all = listeners();
  for (auto it = all.begin(); it != all.end(); ++it) {
    if (it->id == id) {
      all.erase(it);
      return;
    }
  }
}

void notifyFramePresented(const Frame& frame) {
  for (const Entry& entry : listeners()) {
    entry.listener(frame);
  }
}

}  // namespace port
