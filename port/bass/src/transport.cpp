#include "transport.h"

#include <algorithm>
#include <cstring>

namespace bassport {
namespace {

Time now() { return std::chrono::steady_clock::now(); }

}  // namespace

Transport::Transport(std::unique_ptr<PlaybackClock> clock, FrameClock* frames, DeviceClock* device)
    : clock_(std::move(clock)), frames_(frames), device_(device) {}

Transport::Stream* Transport::find(HSTREAM handle) {
  auto it = streams_.find(handle);
  return it == streams_.end() ? nullptr : it->second.get();
}

std::int64_t Transport::positionOf(HSTREAM handle, const Stream& stream, Time at) {
  std::int64_t position = stream.origin;
  if (handle == active_) position += clock_->elapsed(at);
  // At the end the position stays at the length.
  return std::min(position, stream.track.frames());
}

void Transport::settle(Time at) {
  if (Stream* stream = find(active_)) stream->origin = positionOf(active_, *stream, at);
  clock_->reset(at);
}

void Transport::updateRunning(Time at) { clock_->setRunning(outputRunning_ && active_ != 0, at); }

HSTREAM Transport::create(DecodedTrack track, std::int64_t startFrame) {
  std::lock_guard lock(mutex_);
  auto stream = std::make_unique<Stream>();
  stream->origin = std::clamp<std::int64_t>(startFrame, 0, track.frames());
  stream->track = std::move(track);
  HSTREAM handle = nextHandle_++;
  streams_.emplace(handle, std::move(stream));
  return handle;
}

bool Transport::free(HSTREAM handle) {
  std::lock_guard lock(mutex_);
  if (find(handle) == nullptr) return false;
  Time at = now();
  if (handle == active_) {
    settle(at);
    active_ = 0;
    updateRunning(at);
  }
  streams_.erase(handle);
  return true;
}

bool Transport::has(HSTREAM handle) {
  std::lock_guard lock(mutex_);
  return find(handle) != nullptr;
}

int Transport::play(HSTREAM handle, bool fromStart) {
  std::lock_guard lock(mutex_);
  Stream* stream = find(handle);
  if (stream == nullptr) return BASS_ERROR_HANDLE;
  if (!outputRunning_) return BASS_ERROR_START;
  Time at = now();
  settle(at);
  if (fromStart) stream->origin = 0;
  // One stream is heard at a time: starting another one replaces it.
  active_ = handle;
  updateRunning(at);
  return BASS_OK;
}

void Transport::pauseOutput() {
  std::lock_guard lock(mutex_);
  Time at = now();
  settle(at);
  outputRunning_ = false;
  updateRunning(at);
}

void Transport::stopOutput() {
  std::lock_guard lock(mutex_);
  Time at = now();
  settle(at);
  outputRunning_ = false;
  active_ = 0;  // stopped streams stay stopped when the output starts again
  updateRunning(at);
}

void Transport::startOutput() {
  std::lock_guard lock(mutex_);
  Time at = now();
  settle(at);
  outputRunning_ = true;
  updateRunning(at);
}

std::int64_t Transport::position(HSTREAM handle) {
  std::lock_guard lock(mutex_);
  Stream* stream = find(handle);
  return stream == nullptr ? -1 : positionOf(handle, *stream, now());
}

std::int64_t Transport::length(HSTREAM handle) {
  std::lock_guard lock(mutex_);
  Stream* stream = find(handle);
  return stream == nullptr ? -1 : stream->track.frames();
}

int Transport::setPosition(HSTREAM handle, std::int64_t frame) {
  std::lock_guard lock(mutex_);
  Stream* stream = find(handle);
  if (stream == nullptr) return BASS_ERROR_HANDLE;
  if (frame < 0) return BASS_ERROR_POSITION;
  Time at = now();
  if (handle == active_) clock_->reset(at);
  stream->origin = std::min(frame, stream->track.frames());
  return BASS_OK;
}

int Transport::spectrum(HSTREAM handle, float* out) {
  std::lock_guard lock(mutex_);
  Stream* stream = find(handle);
  if (stream == nullptr || handle != active_) {
    std::fill(out, out + kFftBins, 0.0f);
    return stream == nullptr ? BASS_ERROR_HANDLE : BASS_OK;
  }
  const DecodedTrack& track = stream->track;
  Spectrum::monoEndingAt(track.samples(), track.frames(), positionOf(handle, *stream, now()),
                         mono_);
  spectrum_.magnitudes(mono_, out);
  return BASS_OK;
}

void Transport::framePresented() {
  std::lock_guard lock(mutex_);
  if (frames_ != nullptr) frames_->advance();
}

void Transport::render(std::int16_t* out, int frames) {
  std::lock_guard lock(mutex_);
  std::int64_t copied = 0;
  Stream* stream = find(active_);
  if (outputRunning_ && stream != nullptr && device_ != nullptr) {
    const DecodedTrack& track = stream->track;
    std::int64_t from = std::min(stream->origin + device_->written(), track.frames());
    copied = std::min<std::int64_t>(frames, track.frames() - from);
    std::memcpy(out, track.samples() + 2 * from,
                static_cast<std::size_t>(copied) * 2 * sizeof(std::int16_t));
    device_->rendered(frames, now());
  }
  std::memset(out + 2 * copied, 0,
              static_cast<std::size_t>(frames - copied) * 2 * sizeof(std::int16_t));
}

}  // namespace bassport
