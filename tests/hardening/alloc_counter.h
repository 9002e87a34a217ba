// Counts heap allocations made by any thread of this process while counting
// is on. Linking alloc_counter.cpp replaces malloc and its relatives (and so
// operator new, which calls malloc) for the whole program.
#pragma once

#include <string>
#include <vector>

namespace alloccount {

void start();
void stop();
long count();

// Where the counted allocations came from: one symbolised stack per site.
struct Site {
  long count;
  std::string stack;  // one frame a line, innermost first
};
std::vector<Site> sites();
// Allocations beyond the sites that could be told apart.
long unattributed();

}  // namespace alloccount
