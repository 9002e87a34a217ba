#include "fake_bass.h"

#include <cstdarg>
#include <cstdio>

namespace fakebass {
namespace {

Script g_script;
std::vector<std::string> g_calls;

__attribute__((format(printf, 1, 2))) void record(const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  g_calls.emplace_back(line);
}

}  // namespace

void reset(const Script& script) {
  g_script = script;
  g_calls.clear();
}

const std::vector<std::string>& calls() { return g_calls; }

}  // namespace fakebass

using fakebass::g_script;
using fakebass::record;

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid) {
  record("BASS_Init(%d, %u, %u, %p, %p)", device, freq, flags, static_cast<void*>(win), clsid);
  return g_script.initResult;
}
BOOL BASS_Free() {
  record("BASS_Free()");
  return TRUE;
}
BOOL BASS_Start() {
  record("BASS_Start()");
  return TRUE;
}
BOOL BASS_Stop() {
  record("BASS_Stop()");
  return TRUE;
}
BOOL BASS_Pause() {
  record("BASS_Pause()");
  return TRUE;
}
int BASS_ErrorGetCode() { return BASS_OK; }
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags) {
  record("BASS_StreamCreateFile(%d, %s, %u, %u, %u)", mem, static_cast<const char*>(file), offset,
         length, flags);
  return g_script.createResult;
}
BOOL BASS_StreamFree(HSTREAM handle) {
  record("BASS_StreamFree(%u)", handle);
  return TRUE;
}
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags) {
  record("BASS_StreamPlay(%u, %d, %u)", handle, flush, flags);
  return TRUE;
}
QWORD BASS_StreamGetLength(HSTREAM handle) {
  record("BASS_StreamGetLength(%u)", handle);
  return g_script.length;
}
QWORD BASS_ChannelGetPosition(DWORD handle) {
  record("BASS_ChannelGetPosition(%u)", handle);
  return g_script.position;
}
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos) {
  record("BASS_ChannelSetPosition(%u, %llu)", handle, static_cast<unsigned long long>(pos));
  return TRUE;
}
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos) {
  record("BASS_ChannelBytes2Seconds(%u, %llu)", handle, static_cast<unsigned long long>(pos));
  return g_script.seconds;
}
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos) {
  record("BASS_ChannelSeconds2Bytes(%u, %g)", handle, static_cast<double>(pos));
  return g_script.bytes;
}
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length) {
  record("BASS_ChannelGetData(%u, %#x)", handle, length);
  auto* out = static_cast<float*>(buffer);
  for (int i = 0; i < 256; ++i) out[i] = static_cast<float>(i) + 0.5f;
  return 1024;
}
