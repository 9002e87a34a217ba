#include "audio/music_player.h"

#include <windows.h>

#include <cstdio>

#include "platform/d3dwindow.h"

namespace {

// The show ends once the music passes this time; a shorter track stops at
// its end and the show would wait there for ever.
constexpr double kShowSeconds = 98.27;

void noteShortTrack(HSTREAM stream) {
  QWORD length = BASS_StreamGetLength(stream);
  if (length == static_cast<QWORD>(-1)) return;
  float seconds = BASS_ChannelBytes2Seconds(stream, length);
  if (seconds >= 0.0f && seconds < kShowSeconds) {
    std::fprintf(stderr,
                 "vorkast: the music is %.2f s long but the show runs to %.2f s; it will stop at "
                 "the end of the music until Escape is pressed\n",
                 seconds, kShowSeconds);
  }
}

}  // namespace

MusicPlayer::MusicPlayer(const char* fileName) {
  if (!BASS_Init(1, 44100, 0, g_hwnd, NULL)) {
    MessageBoxA(NULL, "No Init", "Error", MB_OK);
  }
  stream = BASS_StreamCreateFile(FALSE, fileName, 0, 0, 0);
  if (stream == 0) {
    MessageBoxA(NULL, "Cant Play Funky Music", "You Suck", MB_OK);
    return;
  }
  streamCreated = true;
  noteShortTrack(stream);
}

MusicPlayer::~MusicPlayer() {
  if (streamCreated) BASS_StreamFree(stream);
  BASS_Free();
}

void MusicPlayer::play() {
  if (streamCreated) {
    BASS_StreamPlay(stream, FALSE, 0);
  } else {
    MessageBoxA(NULL, "Must CreateStream First", "Sucky Assembler", MB_OK);
  }
}

void MusicPlayer::stop() { BASS_Stop(); }

void MusicPlayer::pause() { BASS_Pause(); }

void MusicPlayer::resume() { BASS_Start(); }

float MusicPlayer::position() {
  QWORD bytes = BASS_ChannelGetPosition(stream);
  return BASS_ChannelBytes2Seconds(stream, bytes);
}

void MusicPlayer::updateSpectrum() { BASS_ChannelGetData(stream, spectrum, BASS_DATA_FFT512); }

void MusicPlayer::seek(float seconds) {
  QWORD bytes = BASS_ChannelSeconds2Bytes(stream, seconds);
  BASS_ChannelSetPosition(stream, bytes);
}
