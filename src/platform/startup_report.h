// Nothing in the show catches its exceptions, and the window object throws
// while the globals are still being built. Rather than a silent abort, an
// exception that ends the process is reported on standard error and the
// process exits with status 1.
#pragma once

void installStartupReport();

// The show cannot run without a device: says so and exits with status 1.
void requireDevice();
