// The call trace of d3d9_port.h: one line per device call, built only while
// tracing is on, so a disabled trace costs a flag test per call.
#pragma once

#include <d3d9.h>

#include <string>

namespace d3d9impl {

bool tracing();
void traceLine(std::string line);

// Symbolic names as the trace writes them; unknown values come out as numbers.
std::string renderStateName(D3DRENDERSTATETYPE state);
std::string stageStateName(D3DTEXTURESTAGESTATETYPE type);
std::string samplerStateName(D3DSAMPLERSTATETYPE type);
std::string transformName(D3DTRANSFORMSTATETYPE state);
std::string primitiveName(D3DPRIMITIVETYPE type);
std::string formatName(D3DFORMAT format);
std::string poolName(D3DPOOL pool);
std::string hex(DWORD value);
std::string colourText(D3DCOLOR value);  // 0x%08x
std::string number(double value);        // %g
std::string matrixText(const D3DMATRIX* matrix);
// "tex#5" for an object of this device, "null" for none.
std::string objectName(IUnknown* object);

}  // namespace d3d9impl
