// Runs the show in-process for a few frames and exits; after every global
// object has been destroyed, no Direct3D object may still be alive. With
// --leak it keeps one texture on purpose, to show that the check can fail.
#include <d3d9.h>
#include <d3d9_port.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "inprocess_show.h"
#include "platform/d3dwindow.h"

namespace {

void checkAtExit() {
  int alive = d3d9port::liveObjectCount();
  std::printf("Direct3D objects alive after exit: %d\n", alive);
  std::fflush(stdout);
  if (alive != 0) _exit(1);
}

// Runs before the show's global objects are constructed, so the handler runs
// after they are destroyed (handlers run in reverse order of registration).
__attribute__((constructor(101))) void registerCheck() { std::atexit(checkAtExit); }

}  // namespace

int main(int argc, char** argv) {
  hardening::InProcessRun run;
  run.startSeconds = 31.0;
  run.frames = 3;
  int frames = hardening::runShowInProcess(run);
  if (argc > 1 && std::strcmp(argv[1], "--leak") == 0) {
    IDirect3DTexture9* kept = nullptr;
    g_device->AddRef();  // the device itself was released by the shutdown
    g_device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &kept, nullptr);
    g_device->Release();
  }
  return frames == run.frames ? 0 : 2;
}
