// The BASS functions as the show calls them, on the frame clock, against
// MP3 files made here.
#include <bass.h>
#include <bass_port.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <port_env.h>
#include <present_hook.h>
#include <unistd.h>

#include <cmath>
#include <thread>
#include <vector>

#include "mp3_fixture.h"

namespace {

constexpr double kBin10Hz = 10 * 44100.0 / 512;

void useEnvironment(port::AudioMode audio, double startSeconds = 0.0) {
  port::Environment env;
  env.videoSet = true;
  env.video = port::VideoMode::None;
  env.audioSet = true;
  env.audio = audio;
  env.fps = 60.0;
  env.startSeconds = startSeconds;
  port::setEnvironment(env);
}

void presentFrames(int count) {
  for (int i = 0; i < count; ++i) port::notifyFramePresented(port::Frame{nullptr, 640, 480, 640});
}

QWORD bytesAt(double seconds) { return static_cast<QWORD>(std::llround(seconds * 44100)) * 4; }

class BassApi : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fixture::TempDir();
    // At 320 kb/s LAME keeps a pure tone at its level (lower rates lose a few
    // per cent of it), so the spectrum reads what went in.
    auto mp3 = fixture::encodeMp3(fixture::sine(3.0, kBin10Hz, 1.0f), 320);
    ASSERT_FALSE(mp3.empty());
    sinePath_ = new std::string(dir_->write("sine.mp3", mp3));
  }
  static void TearDownTestSuite() {
    delete sinePath_;
    delete dir_;
  }
  void SetUp() override {
    bassport::setFaults({});
    useEnvironment(port::AudioMode::Frames);
    ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  }
  void TearDown() override { BASS_Free(); }

  HSTREAM openSine() {
    HSTREAM stream = BASS_StreamCreateFile(FALSE, sinePath_->c_str(), 0, 0, 0);
    EXPECT_NE(stream, 0u) << BASS_ErrorGetCode();
    return stream;
  }

  static fixture::TempDir* dir_;
  static std::string* sinePath_;
};

fixture::TempDir* BassApi::dir_ = nullptr;
std::string* BassApi::sinePath_ = nullptr;

TEST(BassLifecycle, InitFreeAndCallsOutsideThem) {
  useEnvironment(port::AudioMode::Frames);
  bassport::setFaults({});
  EXPECT_EQ(bassport::activeClock(), bassport::Clock::None);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, "x.mp3", 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
  EXPECT_EQ(BASS_ChannelGetPosition(1), static_cast<QWORD>(-1));
  EXPECT_FALSE(BASS_Start());
  EXPECT_FALSE(BASS_Free());
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);

  for (int device : {-2, 2, 9}) {
    EXPECT_FALSE(BASS_Init(device, 44100, 0, nullptr, nullptr)) << device;
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  }
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_OK);
  EXPECT_EQ(bassport::activeClock(), bassport::Clock::Frames);
  EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
  EXPECT_TRUE(BASS_Free());
  EXPECT_EQ(bassport::activeClock(), bassport::Clock::None);

  bassport::setFaults({.initFails = true});
  EXPECT_FALSE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_DEVICE);
  bassport::setFaults({});
}

TEST(BassLifecycle, EveryModeGivesAClockThatRuns) {
  bassport::setFaults({});
  // No sound card here: the device falls back to real time (one note on
  // standard error); where there is one, it is the device.
  useEnvironment(port::AudioMode::Device);
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  auto clock = bassport::activeClock();
  EXPECT_TRUE(clock == bassport::Clock::Device || clock == bassport::Clock::RealTime);
  EXPECT_TRUE(BASS_Free());

  useEnvironment(port::AudioMode::Clock);
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  EXPECT_EQ(bassport::activeClock(), bassport::Clock::RealTime);
  fixture::TempDir dir;
  auto path = dir.write("a.mp3", fixture::encodeMp3(fixture::sine(2.0, 440.0, 0.5f)));
  HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  QWORD first = BASS_ChannelGetPosition(stream);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  QWORD later = BASS_ChannelGetPosition(stream);
  EXPECT_GT(later, first);
  EXPECT_TRUE(BASS_Pause());
  QWORD paused = BASS_ChannelGetPosition(stream);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), paused);
  EXPECT_TRUE(BASS_Free());
}

TEST_F(BassApi, SeekIsSampleExactAndEachFrameIsOneFrameTime) {
  HSTREAM stream = openSine();
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
  presentFrames(5);  // not playing yet
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  presentFrames(10);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 10 * 735 * 4u);

  QWORD target = BASS_ChannelSeconds2Bytes(stream, 1.5f);
  EXPECT_EQ(target, 66150 * 4u);
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, target));
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 66150 * 4u);
  EXPECT_EQ(BASS_ChannelBytes2Seconds(stream, BASS_ChannelGetPosition(stream)), 1.5f);
  bassport::advanceFrame();  // the hand-driven tick is the same tick
  presentFrames(59);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(2.5));
}

TEST_F(BassApi, PauseFreezesSeekWhilePausedStaysPausedStartResumes) {
  HSTREAM stream = openSine();
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(0.5));
  ASSERT_TRUE(BASS_Pause());
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(0.5));
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.0f)));
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(1.0));
  // Nothing can be started on a paused output.
  EXPECT_FALSE(BASS_StreamPlay(stream, FALSE, 0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_START);
  ASSERT_TRUE(BASS_Start());
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(1.5));
  EXPECT_TRUE(BASS_Start());  // starting a running output changes nothing
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(2.0));
}

TEST_F(BassApi, StopStopsTheStreamForGoodAndFlushRestarts) {
  HSTREAM stream = openSine();
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  presentFrames(30);
  ASSERT_TRUE(BASS_Stop());
  ASSERT_TRUE(BASS_Start());
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(0.5));  // stopped stays stopped
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));            // carries on from there
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(1.0));
  ASSERT_TRUE(BASS_StreamPlay(stream, TRUE, 0));  // from the start
  EXPECT_EQ(BASS_ChannelGetPosition(stream), 0u);
  presentFrames(6);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(0.1));
}

TEST_F(BassApi, TheEndHoldsAndSeeksClampToIt) {
  HSTREAM stream = openSine();
  QWORD length = BASS_StreamGetLength(stream);
  EXPECT_EQ(length, bytesAt(3.0));
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 2.9f)));
  presentFrames(60);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), length);
  EXPECT_EQ(BASS_ChannelBytes2Seconds(stream, length), 3.0f);
  for (float past : {3.0f, 4.0f, 1e9f, INFINITY}) {
    ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, past))) << past;
    EXPECT_EQ(BASS_ChannelGetPosition(stream), length) << past;
  }
  // Seeking back from the end plays on.
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.0f)));
  presentFrames(6);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(1.1));
}

TEST_F(BassApi, NegativeAndInvalidPositionsAreRefused) {
  HSTREAM stream = openSine();
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, bytesAt(1.0)));
  for (float negative : {-0.01f, -1.0f, -1e9f, -INFINITY}) {
    QWORD bytes = BASS_ChannelSeconds2Bytes(stream, negative);
    EXPECT_FALSE(BASS_ChannelSetPosition(stream, bytes)) << negative;
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_POSITION);
    EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(1.0));
    EXPECT_EQ(BASS_ChannelBytes2Seconds(stream, bytes), -1.0f);
  }
  EXPECT_EQ(BASS_ChannelSeconds2Bytes(stream, NAN), static_cast<QWORD>(-1));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

  HSTREAM bogus = stream + 1000;
  EXPECT_EQ(BASS_ChannelBytes2Seconds(bogus, 4), -1.0f);
  EXPECT_EQ(BASS_ChannelBytes2Seconds(0, 4), -1.0f);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_ChannelGetPosition(0), static_cast<QWORD>(-1));
  EXPECT_FALSE(BASS_ChannelSetPosition(0, 0));
  EXPECT_FALSE(BASS_StreamPlay(0, FALSE, 0));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);

  EXPECT_TRUE(BASS_StreamFree(stream));
  EXPECT_FALSE(BASS_StreamFree(stream));
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), static_cast<QWORD>(-1));
}

TEST_F(BassApi, SpectrumOfTheHeardMoment) {
  HSTREAM stream = openSine();
  float spectrum[256];
  std::fill(spectrum, spectrum + 256, 5.0f);
  // Not playing: silence.
  EXPECT_EQ(BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512), 1024u);
  for (float v : spectrum) ASSERT_EQ(v, 0.0f);

  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  ASSERT_TRUE(BASS_ChannelSetPosition(stream, BASS_ChannelSeconds2Bytes(stream, 1.0f)));
  EXPECT_EQ(BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512), 1024u);
  EXPECT_NEAR(spectrum[10], 1.0f, 0.02f);
  for (int k = 0; k < 256; ++k) {
    if (std::abs(k - 10) > 2) {
      EXPECT_LT(spectrum[k], 0.01f) << "bin " << k;
    }
  }
  // Paused, it is the spectrum of the frozen moment.
  ASSERT_TRUE(BASS_Pause());
  float frozen[256];
  EXPECT_EQ(BASS_ChannelGetData(stream, frozen, BASS_DATA_FFT512), 1024u);
  EXPECT_NEAR(frozen[10], 1.0f, 0.02f);

  // A bad handle or request: -1, and zeros where there is a buffer.
  std::fill(spectrum, spectrum + 256, 5.0f);
  EXPECT_EQ(BASS_ChannelGetData(0, spectrum, BASS_DATA_FFT512), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
  for (float v : spectrum) ASSERT_EQ(v, 0.0f);
  EXPECT_EQ(BASS_ChannelGetData(stream, nullptr, BASS_DATA_FFT512), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ChannelGetData(stream, spectrum, 1024), 0xFFFFFFFFu);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);
}

TEST_F(BassApi, SilenceHasAnEmptySpectrum) {
  fixture::TempDir dir;
  auto silent = fixture::makeSignal(1.0, 44100, 2, [](std::int64_t, int) { return 0.0f; });
  auto path = dir.write("silent.mp3", fixture::encodeMp3(silent));
  HSTREAM stream = BASS_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
  ASSERT_NE(stream, 0u);
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  presentFrames(20);
  float spectrum[256];
  ASSERT_EQ(BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512), 1024u);
  for (float v : spectrum) EXPECT_LT(v, 1e-4f);
}

TEST_F(BassApi, SpectrumOnTheFrameClockIsTheSameEveryRun) {
  auto run = [&] {
    std::vector<float> spectrum(256);
    EXPECT_TRUE(BASS_Free());
    EXPECT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
    HSTREAM stream = openSine();
    EXPECT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
    presentFrames(77);
    BASS_ChannelGetData(stream, spectrum.data(), BASS_DATA_FFT512);
    return spectrum;
  };
  std::vector<float> first = run();
  std::vector<float> second = run();
  EXPECT_EQ(first, second);
  EXPECT_GT(first[10], 0.5f);
}

TEST_F(BassApi, StartTimeFromTheEnvironment) {
  BASS_Free();
  useEnvironment(port::AudioMode::Frames, 2.0);
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  HSTREAM stream = openSine();
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(2.0));
  ASSERT_TRUE(BASS_StreamPlay(stream, FALSE, 0));
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(stream), bytesAt(2.5));
  BASS_Free();
  useEnvironment(port::AudioMode::Frames, 60.0);  // past the end: held at the end
  ASSERT_TRUE(BASS_Init(1, 44100, 0, nullptr, nullptr));
  stream = openSine();
  EXPECT_EQ(BASS_ChannelGetPosition(stream), BASS_StreamGetLength(stream));
}

TEST_F(BassApi, FilesAreJudgedByContentAndNeverCrash) {
  fixture::TempDir dir;
  auto wav = dir.write("wave.mp3", fixture::wavFile(fixture::sine(1.0, 440.0, 0.5f)));
  auto empty = dir.write("empty.mp3", {});
  struct Case {
    std::string path;
    int error;
  };
  for (const Case& c : std::vector<Case>{{dir.path("missing.mp3"), BASS_ERROR_FILEOPEN},
                                         {dir.path(""), BASS_ERROR_FILEOPEN},  // a folder
                                         {wav, BASS_ERROR_FILEFORM},
                                         {empty, BASS_ERROR_FILEFORM}}) {
    EXPECT_EQ(BASS_StreamCreateFile(FALSE, c.path.c_str(), 0, 0, 0), 0u) << c.path;
    EXPECT_EQ(BASS_ErrorGetCode(), c.error) << c.path;
  }
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, nullptr, 0, 0, 0), 0u);

  // Above the size limit nothing is read: a sparse file costs no disk.
  auto huge = dir.path("huge.mp3");
  int fd = ::open(huge.c_str(), O_CREAT | O_WRONLY, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, off_t{257} << 20), 0);
  ::close(fd);
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, huge.c_str(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
}

TEST_F(BassApi, StreamsFromMemoryAndFromPartOfAFile) {
  auto mp3 = fixture::encodeMp3(fixture::sine(1.0, 440.0, 0.5f));
  HSTREAM stream = BASS_StreamCreateFile(TRUE, mp3.data(), 0, static_cast<DWORD>(mp3.size()), 0);
  ASSERT_NE(stream, 0u);
  EXPECT_EQ(BASS_StreamGetLength(stream), bytesAt(1.0));
  EXPECT_EQ(BASS_StreamCreateFile(TRUE, mp3.data(), 0, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ILLPARAM);

  // The MP3 behind 1000 bytes of something else, then more after it.
  std::vector<std::uint8_t> packed = mp3;
  packed.insert(packed.begin(), 1000, 0x55);
  packed.insert(packed.end(), 5000, 0x55);
  fixture::TempDir dir;
  auto path = dir.write("packed.bin", packed);
  HSTREAM part =
      BASS_StreamCreateFile(FALSE, path.c_str(), 1000, static_cast<DWORD>(mp3.size()), 0);
  ASSERT_NE(part, 0u) << BASS_ErrorGetCode();
  EXPECT_EQ(BASS_StreamGetLength(part), bytesAt(1.0));
  EXPECT_EQ(BASS_StreamCreateFile(FALSE, path.c_str(), 1u << 30, 0, 0), 0u);
  EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEOPEN);
}

TEST_F(BassApi, PlayingAnotherStreamTakesTheOutput) {
  HSTREAM first = openSine();
  HSTREAM second = openSine();
  ASSERT_TRUE(BASS_StreamPlay(first, FALSE, 0));
  presentFrames(30);
  ASSERT_TRUE(BASS_StreamPlay(second, FALSE, 0));
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(first), bytesAt(0.5));
  EXPECT_EQ(BASS_ChannelGetPosition(second), bytesAt(0.5));
  ASSERT_TRUE(BASS_StreamFree(second));  // freeing the playing one
  presentFrames(30);
  EXPECT_EQ(BASS_ChannelGetPosition(first), bytesAt(0.5));
}

}  // namespace
