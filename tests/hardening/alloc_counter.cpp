#include "alloc_counter.h"

#include <execinfo.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <mutex>

extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* pointer, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* pointer);
}

namespace alloccount {
namespace {

constexpr int kSites = 64;
constexpr int kDepth = 14;
// Two allocations come from the same site when these frames match (the
// hook's own frame and the allocator's are left out).
constexpr int kKeyFrames = 4;

struct SiteRecord {
  void* frames[kDepth];
  int depth;
  long count;
};

std::atomic<bool> g_counting{false};
std::atomic<long> g_count{0};
std::mutex g_sitesMutex;
SiteRecord g_sites[kSites];
long g_unattributed = 0;
int g_siteCount = 0;
// backtrace() may allocate the first time it runs; that must not count.
thread_local bool t_inHook = false;

void remember() {
  void* frames[kDepth];
  int depth = backtrace(frames, kDepth);
  std::lock_guard lock(g_sitesMutex);
  for (int i = 0; i < g_siteCount; ++i) {
    SiteRecord& site = g_sites[i];
    if (site.depth == depth &&
        std::memcmp(site.frames, frames, sizeof(void*) * std::min(depth, kKeyFrames + 2)) == 0) {
      ++site.count;
      return;
    }
  }
  if (g_siteCount == kSites) {
    ++g_unattributed;
    return;
  }
  SiteRecord& site = g_sites[g_siteCount++];
  std::memcpy(site.frames, frames, sizeof frames);
  site.depth = depth;
  site.count = 1;
}

void counted() {
  if (!g_counting.load(std::memory_order_relaxed) || t_inHook) return;
  g_count.fetch_add(1, std::memory_order_relaxed);
  t_inHook = true;
  remember();
  t_inHook = false;
}

}  // namespace

void start() {
  // Loads libgcc's unwinder now, outside the counted span.
  void* warm[2];
  t_inHook = true;
  backtrace(warm, 2);
  t_inHook = false;
  std::lock_guard lock(g_sitesMutex);
  g_siteCount = 0;
  g_unattributed = 0;
  g_count = 0;
  g_counting = true;
}

void stop() { g_counting = false; }
long count() { return g_count.load(); }

std::vector<Site> sites() {
  std::vector<Site> found;
  std::lock_guard lock(g_sitesMutex);
  for (int i = 0; i < g_siteCount; ++i) {
    const SiteRecord& record = g_sites[i];
    char** symbols = backtrace_symbols(record.frames, record.depth);
    Site site{record.count, ""};
    for (int f = 2; f < record.depth; ++f) {
      site.stack += symbols ? symbols[f] : "?";
      site.stack += "\n";
    }
    std::free(symbols);
    found.push_back(site);
  }
  return found;
}

long unattributed() {
  std::lock_guard lock(g_sitesMutex);
  return g_unattributed;
}

}  // namespace alloccount

extern "C" {

void* malloc(std::size_t size) {
  alloccount::counted();
  return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size) {
  alloccount::counted();
  return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size) {
  alloccount::counted();
  return __libc_realloc(pointer, size);
}

void* memalign(std::size_t alignment, std::size_t size) {
  alloccount::counted();
  return __libc_memalign(alignment, size);
}

void* aligned_alloc(std::size_t alignment, std::size_t size) {
  alloccount::counted();
  return __libc_memalign(alignment, size);
}

int posix_memalign(void** out, std::size_t alignment, std::size_t size) {
  alloccount::counted();
  void* pointer = __libc_memalign(alignment, size);
  if (pointer == nullptr) return ENOMEM;
  *out = pointer;
  return 0;
}

void free(void* pointer) { __libc_free(pointer); }

}  // extern "C"
