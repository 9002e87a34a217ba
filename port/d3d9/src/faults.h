// The faults a test has asked for (d3d9port::setFaults), as the device reads them.
#pragma once

#include <d3d9_port.h>

namespace d3d9impl {

const d3d9port::Faults& activeFaults();
// Counts one call of a kind; true when this call is the one that fails.
bool failThisCreateTexture();
bool failThisCreateVertexBuffer();

}  // namespace d3d9impl
