// The BASS functions: argument checks, error codes and the choice of clock;
// the work is done by Transport, DecodedTrack and SdlOutput.
#include <bass.h>
#include <bass_port.h>
#include <fcntl.h>
#include <port_env.h>
#include <present_hook.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "layer_limits.h"
#include "sdl_output.h"
#include "transport.h"

namespace {

using bassport::Clock;

struct Layer {
  std::unique_ptr<bassport::SdlOutput> output;
  std::unique_ptr<bassport::Transport> transport;
  int frameListener = 0;
  Clock clock = Clock::None;
};

// Guards the layer's lifetime: every call against BASS_Init and BASS_Free.
std::mutex g_mutex;
Layer g_layer;
bassport::Faults g_faults;
// As in BASS, the error code belongs to the calling thread.
thread_local int t_error = BASS_OK;

template <typename T>
T fail(int code, T result) {
  t_error = code;
  return result;
}

template <typename T>
T succeed(T result) {
  t_error = BASS_OK;
  return result;
}

constexpr QWORD kBadPosition = static_cast<QWORD>(-1);

void framePresented() {
  std::lock_guard lock(g_mutex);
  if (g_layer.transport) g_layer.transport->framePresented();
}

std::unique_ptr<bassport::Transport> makeTransport(Clock clock, double fps, int latency) {
  using namespace bassport;
  switch (clock) {
    case Clock::Frames: {
      auto frames = std::make_unique<FrameClock>(fps);
      FrameClock* raw = frames.get();
      return std::make_unique<Transport>(std::move(frames), raw, nullptr);
    }
    case Clock::Device: {
      auto device = std::make_unique<DeviceClock>(latency);
      DeviceClock* raw = device.get();
      return std::make_unique<Transport>(std::move(device), nullptr, raw);
    }
    default:
      return std::make_unique<Transport>(std::make_unique<RealTimeClock>(), nullptr, nullptr);
  }
}

// Reads [offset, offset + length) of a regular file; length 0 means to the
// end. BASS_OK or the error code.
int readFile(const char* path, DWORD offset, DWORD length, std::vector<std::uint8_t>* out) {
  int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return BASS_ERROR_FILEOPEN;
  struct stat info {};
  int code = BASS_OK;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uint64_t>(info.st_size) < offset) {
    code = BASS_ERROR_FILEOPEN;
  } else {
    std::uint64_t available = static_cast<std::uint64_t>(info.st_size) - offset;
    std::uint64_t wanted = length == 0 ? available : std::min<std::uint64_t>(length, available);
    if (wanted > bassport::kMaxFileBytes) {
      code = BASS_ERROR_FILEFORM;
    } else {
      out->resize(static_cast<std::size_t>(wanted));
      std::size_t done = 0;
      while (done < out->size()) {
        ssize_t n =
            ::pread(fd, out->data() + done, out->size() - done, static_cast<off_t>(offset + done));
        if (n <= 0) break;  // shrunk underneath us, or a read error
        done += static_cast<std::size_t>(n);
      }
      if (done != out->size()) code = BASS_ERROR_FILEOPEN;
    }
  }
  ::close(fd);
  return code;
}

}  // namespace

BOOL BASS_Init(int device, DWORD, DWORD, HWND, const void*) {
  std::lock_guard lock(g_mutex);
  if (g_faults.initFails) return fail(BASS_ERROR_DEVICE, FALSE);
  if (g_layer.transport) return fail(BASS_ERROR_ALREADY, FALSE);
  // BASS numbers its devices: -1 the default, 0 no sound, 1 the first
  // real output. Here the first real output is the default one.
  if (device < -1 || device > 1) return fail(BASS_ERROR_DEVICE, FALSE);

  const port::Environment& env = port::environment();
  bool wantsFrames = env.audioSet && env.audio == port::AudioMode::Frames;
  bool wantsDevice = device != 0 && (!env.audioSet || env.audio == port::AudioMode::Device);
  Clock clock = wantsFrames ? Clock::Frames : Clock::RealTime;
  auto output = std::make_unique<bassport::SdlOutput>();
  if (wantsDevice) {
    std::string why;
    if (output->open(&why)) {
      clock = Clock::Device;
    } else {
      std::fprintf(stderr, "vorkast: no sound output (%s); the music runs silently in real time\n",
                   why.c_str());
    }
  }

  g_layer.transport = makeTransport(clock, env.fps, output->bufferFrames());
  if (clock == Clock::Device) {
    output->start(g_layer.transport.get());
    g_layer.output = std::move(output);
  }
  if (clock == Clock::Frames) {
    g_layer.frameListener = port::addFrameListener([](const port::Frame&) { framePresented(); });
  }
  g_layer.clock = clock;
  return succeed(TRUE);
}

BOOL BASS_Free() {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, FALSE);
  // The sound card's callback goes first: it reads the transport.
  if (g_layer.output) g_layer.output->close();
  g_layer.output.reset();
  if (g_layer.frameListener != 0) port::removeFrameListener(g_layer.frameListener);
  g_layer.frameListener = 0;
  g_layer.transport.reset();
  g_layer.clock = Clock::None;
  return succeed(TRUE);
}

BOOL BASS_Start() {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, FALSE);
  g_layer.transport->startOutput();
  return succeed(TRUE);
}

BOOL BASS_Stop() {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, FALSE);
  g_layer.transport->stopOutput();
  return succeed(TRUE);
}

BOOL BASS_Pause() {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, FALSE);
  g_layer.transport->pauseOutput();
  return succeed(TRUE);
}

int BASS_ErrorGetCode() { return t_error; }

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, HSTREAM{0});
  if (file == nullptr) return fail(mem ? BASS_ERROR_ILLPARAM : BASS_ERROR_FILEOPEN, HSTREAM{0});

  std::vector<std::uint8_t> bytes;
  const std::uint8_t* data = nullptr;
  std::size_t size = 0;
  if (mem) {
    if (length == 0) return fail(BASS_ERROR_ILLPARAM, HSTREAM{0});
    data = static_cast<const std::uint8_t*>(file) + offset;
    size = length;
  } else {
    int code = readFile(static_cast<const char*>(file), offset, length, &bytes);
    if (code != BASS_OK) return fail(code, HSTREAM{0});
    data = bytes.data();
    size = bytes.size();
  }

  bassport::DecodedTrack track;
  int code = track.decode(data, size);
  if (code != BASS_OK) return fail(code, HSTREAM{0});
  double start = port::environment().startSeconds * bassport::kSampleRate;
  auto startFrame = static_cast<std::int64_t>(std::llround(start));
  return succeed(g_layer.transport->create(std::move(track), startFrame));
}

BOOL BASS_StreamFree(HSTREAM handle) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, FALSE);
  if (!g_layer.transport->free(handle)) return fail(BASS_ERROR_HANDLE, FALSE);
  return succeed(TRUE);
}

BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, FALSE);
  int code = g_layer.transport->play(handle, flush != FALSE);
  return code == BASS_OK ? succeed(TRUE) : fail(code, FALSE);
}

QWORD BASS_StreamGetLength(HSTREAM handle) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, kBadPosition);
  std::int64_t frames = g_layer.transport->length(handle);
  if (frames < 0) return fail(BASS_ERROR_HANDLE, kBadPosition);
  return succeed(static_cast<QWORD>(frames) * bassport::kBytesPerFrame);
}

QWORD BASS_ChannelGetPosition(DWORD handle) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, kBadPosition);
  std::int64_t frames = g_layer.transport->position(handle);
  if (frames < 0) return fail(BASS_ERROR_HANDLE, kBadPosition);
  return succeed(static_cast<QWORD>(frames) * bassport::kBytesPerFrame);
}

BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, FALSE);
  // A position with the top bit set is a negative byte count (see
  // BASS_ChannelSeconds2Bytes): refused, the position stays.
  auto bytes = static_cast<std::int64_t>(pos);
  std::int64_t frame = bytes < 0 ? -1 : bytes / bassport::kBytesPerFrame;
  int code = g_layer.transport->setPosition(handle, frame);
  return code == BASS_OK ? succeed(TRUE) : fail(code, FALSE);
}

float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, -1.0f);
  if (!g_layer.transport->has(handle)) return fail(BASS_ERROR_HANDLE, -1.0f);
  auto bytes = static_cast<std::int64_t>(pos);
  if (bytes < 0) return fail(BASS_ERROR_POSITION, -1.0f);
  double seconds = static_cast<double>(bytes) / (bassport::kSampleRate * bassport::kBytesPerFrame);
  return succeed(static_cast<float>(seconds));
}

QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
  std::lock_guard lock(g_mutex);
  if (!g_layer.transport) return fail(BASS_ERROR_INIT, kBadPosition);
  if (!g_layer.transport->has(handle)) return fail(BASS_ERROR_HANDLE, kBadPosition);
  if (std::isnan(pos)) return fail(BASS_ERROR_ILLPARAM, kBadPosition);
  // Whole sample frames; far beyond any stream either way, so that the
  // byte count cannot overflow.
  constexpr double kFarFrames = 1e15;
  double frames =
      std::clamp(std::round(double{pos} * bassport::kSampleRate), -kFarFrames, kFarFrames);
  auto bytes = static_cast<std::int64_t>(frames) * bassport::kBytesPerFrame;
  return succeed(static_cast<QWORD>(bytes));
}

DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  constexpr DWORD kError = static_cast<DWORD>(-1);
  std::lock_guard lock(g_mutex);
  // Only the spectrum is offered, not sample data.
  if (buffer == nullptr || length != BASS_DATA_FFT512) return fail(BASS_ERROR_ILLPARAM, kError);
  auto* out = static_cast<float*>(buffer);
  if (!g_layer.transport) {
    std::fill(out, out + bassport::kFftBins, 0.0f);
    return fail(BASS_ERROR_INIT, kError);
  }
  int code = g_layer.transport->spectrum(handle, out);
  if (code != BASS_OK) return fail(code, kError);
  return succeed(static_cast<DWORD>(bassport::kFftBins * sizeof(float)));
}

namespace bassport {

Clock activeClock() {
  std::lock_guard lock(g_mutex);
  return g_layer.clock;
}

void setFaults(const Faults& faults) {
  std::lock_guard lock(g_mutex);
  g_faults = faults;
}

void advanceFrame() { framePresented(); }

}  // namespace bassport
