#include "object.h"

namespace {
int g_live = 0;
int g_created = 0;
}  // namespace

namespace d3d9impl {

// Numbers restart once every object is gone, so each test's trace starts
// from the same numbers whatever ran before it.
Tracked::Tracked(const char* kind) : kind_(kind) {
  if (g_live == 0) g_created = 0;
  number_ = ++g_created;
  ++g_live;
}

Tracked::~Tracked() { --g_live; }

int liveObjects() { return g_live; }

}  // namespace d3d9impl
