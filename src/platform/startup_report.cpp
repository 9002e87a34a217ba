#include "startup_report.h"

#include <cstdio>
#include <cstdlib>
#include <exception>

#include "d3dwindow.h"

namespace {

[[noreturn]] void reportAndExit() {
  std::fflush(stdout);
  if (std::exception_ptr current = std::current_exception()) {
    try {
      std::rethrow_exception(current);
    } catch (const Exception& e) {
      std::fprintf(stderr, "%s: %s\n", e.where, e.message);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "vorkast05: %s\n", e.what());
    } catch (...) {
      std::fprintf(stderr, "vorkast05: unknown exception\n");
    }
  } else {
    std::fprintf(stderr, "vorkast05: terminated\n");
  }
  // No unwinding is possible from here; the process simply ends.
  std::_Exit(1);
}

}  // namespace

void installStartupReport() { std::set_terminate(reportAndExit); }

void requireDevice() {
  if (g_device == nullptr) {
    std::fflush(stdout);
    std::fprintf(stderr, "vorkast05: no Direct3D device could be created; the show cannot run\n");
    std::exit(1);
  }
}
