// The allocator the show's program runs on, and how it is set up. Start-up
// fills some 75 MB (the decoded track, every picture's levels, twice over
// for the pictures prepared off the device's thread), and each first touch
// of a 4 KiB page costs a fault; on virtual machines that is several
// microseconds, enough to be the largest part of start-up. jemalloc asks for
// transparent huge pages for all it maps and keeps freed pages for reuse,
// which removes most of those faults.
#pragma once

namespace port {

// The settings compiled into the program (jemalloc's malloc_conf syntax);
// MALLOC_CONF in the environment still overrides any of them.
inline constexpr const char* kAllocatorSettings =
    // Huge pages wherever the allocator maps memory: one fault per 2 MiB.
    "thp:always,"
    // Few arenas: only start-up allocates much, and every arena holds huge
    // pages of its own, so jemalloc's default (four a core) would grow the
    // resident set with the core count.
    "narenas:2";

}  // namespace port
