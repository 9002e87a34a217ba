// Linked into the program itself (an object library), since jemalloc reads
// this symbol of the executable when it starts; a static library's object
// that nothing refers to would be left out by the linker.
#include "allocator_settings.h"

extern "C" {
// NOLINTNEXTLINE: the name and type are jemalloc's.
extern const char* malloc_conf;
const char* malloc_conf = port::kAllocatorSettings;
}
