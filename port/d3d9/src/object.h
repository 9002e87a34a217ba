// The common base of every object the device hands out: a creation number
// for the trace ("tex#5"), a count of live objects for leak tests, and COM
// reference counting with a trace line per public AddRef and Release.
#pragma once

#include <d3d9.h>

#include <string>

#include "trace.h"

namespace d3d9impl {

class Tracked {
 public:
  explicit Tracked(const char* kind);
  Tracked(const Tracked&) = delete;
  Tracked& operator=(const Tracked&) = delete;
  virtual ~Tracked();

  std::string name() const { return kind_ + ('#' + std::to_string(number_)); }

 private:
  std::string kind_;
  int number_;
};

int liveObjects();

// Reference counting for one interface. The device's own references (bound
// textures, targets, buffers) use retain/release so they stay out of the trace.
template <class Interface>
class RefCounted : public Interface, public Tracked {
 public:
  explicit RefCounted(const char* kind) : Tracked(kind) {}

  ULONG AddRef() override {
    ULONG count = retain();
    if (tracing()) traceLine("AddRef(" + name() + ") -> " + std::to_string(count));
    return count;
  }
  ULONG Release() override {
    std::string who = tracing() ? name() : std::string();
    ULONG count = release();
    if (tracing()) traceLine("Release(" + who + ") -> " + std::to_string(count));
    return count;
  }

  virtual ULONG retain() { return ++refs_; }
  virtual ULONG release() {
    ULONG count = --refs_;
    if (count == 0) lastReleased();
    return count;
  }

 protected:
  virtual void lastReleased() { delete this; }
  ULONG refs_ = 1;
};

// Retains a possibly null object of this device.
template <class T>
void retainObject(T* object) {
  if (object != nullptr) object->retain();
}
template <class T>
void releaseObject(T* object) {
  if (object != nullptr) object->release();
}

}  // namespace d3d9impl
