// The sound card, through SDL2's audio callback. The callback runs on SDL's
// audio thread and asks the transport for samples; the device is never
// paused once open (silence comes from the transport), so no SDL call is
// ever made while the transport's lock is held.
#pragma once

#include <sdl_library.h>

#include <cstdint>
#include <string>

namespace bassport {

class Transport;

class SdlOutput {
 public:
  SdlOutput() = default;
  ~SdlOutput();
  SdlOutput(const SdlOutput&) = delete;
  SdlOutput& operator=(const SdlOutput&) = delete;

  // Opens the default output device; false, with the reason, when none can
  // be opened. Nothing is asked of `transport` until start().
  bool open(std::string* error);
  // Starts the callback, which feeds from `transport` from then on.
  void start(Transport* transport);
  // Stops the callback and closes the device; the transport may go after.
  void close();

  // Sample frames of one callback: what is handed over but not yet heard.
  int bufferFrames() const { return bufferFrames_; }

 private:
  static void callback(void* user, Uint8* stream, int bytes);

  const port::SdlLibrary* sdl_ = nullptr;  // set by open()
  SDL_AudioDeviceID device_ = 0;
  bool subsystem_ = false;
  int bufferFrames_ = 0;
  Transport* transport_ = nullptr;
};

}  // namespace bassport
