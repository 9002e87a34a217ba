// A bass.h-shaped subset of the BASS 2.0 audio library: one MP3 stream from a
// file, played on the default output, with position, seeking, pause and FFT.
// Names, signatures and values follow that interface generation.
#pragma once

#include <windows.h>

typedef DWORD HSTREAM;
typedef DWORD HCHANNEL;

// Error codes returned by BASS_ErrorGetCode.
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_START 9
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_NOPLAY 24
#define BASS_ERROR_FREQ 25
#define BASS_ERROR_NOTFILE 27
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN -1

// BASS_ChannelGetData: 256 floats of FFT magnitudes from 512 samples.
#define BASS_DATA_FFT512 0x80000000u

BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win, const void* clsid);
BOOL BASS_Free();
BOOL BASS_Start();
BOOL BASS_Stop();
BOOL BASS_Pause();
int BASS_ErrorGetCode();

HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
// Length of the stream in bytes, as positions count them.
QWORD BASS_StreamGetLength(HSTREAM handle);

QWORD BASS_ChannelGetPosition(DWORD handle);
BOOL BASS_ChannelSetPosition(DWORD handle, QWORD pos);
float BASS_ChannelBytes2Seconds(DWORD handle, QWORD pos);
// A negative time gives the two's complement of its (negative) byte count,
// a position that BASS_ChannelSetPosition refuses with BASS_ERROR_POSITION
// and BASS_ChannelBytes2Seconds answers with -1.
QWORD BASS_ChannelSeconds2Bytes(DWORD handle, float pos);
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
