// What the audio layer costs the show: opening the 100 s track once, and the
// two calls the main loop makes every frame.
#include <bass.h>
#include <benchmark/benchmark.h>
#include <port_env.h>
#include <present_hook.h>

#include <cmath>
#include <numbers>

#include "mp3_fixture.h"

namespace {

// 100 s of a chord with a beat, the size and kind of the show's music.
const std::string& musicFile() {
  static fixture::TempDir dir;
  static const std::string path = [] {
    auto signal = fixture::makeSignal(100.0, 44100, 2, [](std::int64_t f, int c) {
      double t = f / 44100.0;
      double beat = std::exp(-8.0 * std::fmod(t, 0.5));
      double tone = std::sin(2 * std::numbers::pi * (c ? 220.0 : 330.0) * t) +
                    0.5 * std::sin(2 * std::numbers::pi * 55.0 * t) * beat;
      return static_cast<float>(0.4 * tone);
    });
    return dir.write("music.mp3", fixture::encodeMp3(signal));
  }();
  return path;
}

void initFrames() {
  port::Environment env;
  env.audioSet = true;
  env.audio = port::AudioMode::Frames;
  port::setEnvironment(env);
  BASS_Init(1, 44100, 0, nullptr, nullptr);
}

void BM_StreamCreate100s(benchmark::State& state) {
  const std::string& path = musicFile();
  initFrames();
  for (auto _ : state) {
    HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
    if (stream == 0) state.SkipWithError("stream creation failed");
    BASS_StreamFree(stream);
  }
  BASS_Free();
}
BENCHMARK(BM_StreamCreate100s)->Unit(benchmark::kMillisecond);

void BM_Fft512(benchmark::State& state) {
  initFrames();
  HSTREAM stream = BASS_StreamCreateFile(FALSE, musicFile().c_str(), 0, 0, 0);
  BASS_StreamPlay(stream, FALSE, 0);
  BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 40.0f));
  float spectrum[256];
  for (auto _ : state) {
    BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512);
    benchmark::DoNotOptimize(spectrum);
  }
  BASS_Free();
}
BENCHMARK(BM_Fft512);

void BM_Position(benchmark::State& state) {
  initFrames();
  HSTREAM stream = BASS_StreamCreateFile(FALSE, musicFile().c_str(), 0, 0, 0);
  BASS_StreamPlay(stream, FALSE, 0);
  for (auto _ : state) {
    float seconds = BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream));
    benchmark::DoNotOptimize(seconds);
  }
  BASS_Free();
}
BENCHMARK(BM_Position);

}  // namespace

BENCHMARK_MAIN();
