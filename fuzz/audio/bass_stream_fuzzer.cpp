// Any bytes as the music file: BASS_StreamCreateFile reads them from a file
// (as the show opens its track), and a stream that is created is played,
// sought and asked for a few spectra before it is freed.
#include <bass.h>
#include <bass_port.h>
#include <port_env.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace {

std::string g_path;

bool writeInput(const std::uint8_t* data, std::size_t size) {
  std::FILE* file = std::fopen(g_path.c_str(), "wb");
  if (file == nullptr) return false;
  bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && written;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Silent and clocked by frames: no sound card, and each input is quick.
  port::Environment env;
  env.videoSet = true;
  env.video = port::VideoMode::None;
  env.audioSet = true;
  env.audio = port::AudioMode::Frames;
  port::setEnvironment(env);
  if (!BASS_Init(1, 44100, 0, nullptr, nullptr)) return 1;
  const char* tmp = std::getenv("TMPDIR");
  g_path =
      std::string(tmp ? tmp : "/tmp") + "/fuzz_bass_stream_" + std::to_string(getpid()) + ".mp3";
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!writeInput(data, size)) return 0;
  HSTREAM stream = BASS_StreamCreateFile(FALSE, g_path.c_str(), 0, 0, 0);
  if (stream == 0) return 0;
  float spectrum[256];
  BASS_StreamPlay(stream, FALSE, 0);
  for (int i = 0; i < 3; ++i) {
    BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512);
    bassport::advanceFrame();
  }
  // The seeks the show's keys make: past the end, back before the start.
  float seconds = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
  BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, seconds + 0.9f));
  BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512);
  BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1e6f));
  BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512);
  BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, -0.1f));
  BASS_Pause();
  BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512);
  BASS_Start();
  BASS_StreamFree(stream);
  return 0;
}
