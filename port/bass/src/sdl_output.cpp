#include "sdl_output.h"

#include <cstring>

#include "layer_limits.h"
#include "transport.h"

namespace bassport {

SdlOutput::~SdlOutput() { close(); }

bool SdlOutput::open(std::string* error) {
  sdl_ = port::sdl(error);
  if (sdl_ == nullptr) return false;
  if (sdl_->SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
    *error = sdl_->SDL_GetError();
    return false;
  }
  subsystem_ = true;
  SDL_AudioSpec want{};
  want.freq = kSampleRate;
  want.format = AUDIO_S16SYS;
  want.channels = kChannels;
  want.samples = kDeviceBufferFrames;
  want.callback = &SdlOutput::callback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts to whatever the card wants, so the
  // callback always sees 44.1 kHz 16-bit stereo.
  device_ = sdl_->SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device_ == 0) {
    *error = sdl_->SDL_GetError();
    close();
    return false;
  }
  bufferFrames_ = have.samples;
  return true;
}

void SdlOutput::start(Transport* transport) {
  if (device_ == 0) return;
  sdl_->SDL_LockAudioDevice(device_);
  transport_ = transport;
  sdl_->SDL_UnlockAudioDevice(device_);
  sdl_->SDL_PauseAudioDevice(device_, 0);
}

void SdlOutput::close() {
  if (device_ != 0) {
    sdl_->SDL_CloseAudioDevice(device_);  // waits for a callback in progress
    device_ = 0;
  }
  transport_ = nullptr;
  if (subsystem_) {
    sdl_->SDL_QuitSubSystem(SDL_INIT_AUDIO);
    subsystem_ = false;
  }
}

void SdlOutput::callback(void* user, Uint8* stream, int bytes) {
  auto* self = static_cast<SdlOutput*>(user);
  int frames = bytes / kBytesPerFrame;
  if (self->transport_ == nullptr) {
    std::memset(stream, 0, static_cast<std::size_t>(bytes));
    return;
  }
  self->transport_->render(reinterpret_cast<std::int16_t*>(stream), frames);
}

}  // namespace bassport
