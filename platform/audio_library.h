// The module-playing audio library the program is written against: it opens
// the output device, renders tracker modules loaded from memory and plays them
// by itself, and hands out the samples being heard. Implemented over
// libopenmpt and SDL2 audio (platform/sdl) or by the test fake (platform/fake).
//
// Failure convention: BOOL results are 0 on failure; a module handle of 0
// names no module (a failed load); DWORD results documented per call.
// All calls are made from the program's one thread; the library renders on
// its own audio thread and guards its state itself.
#pragma once

#include "platform/winapi.h"

using QWORD = std::uint64_t;
using HMUSIC = DWORD;

// BASS_MusicLoad flags.
constexpr DWORD BASS_MUSIC_RAMPS = 0x400;          // sensitive volume ramping
constexpr DWORD BASS_MUSIC_SINCINTER = 0x800000;   // windowed-sinc interpolation
constexpr DWORD BASS_MUSIC_LOOP = 0x4;             // loop at the end (the program never asks for it)

// BASS_ChannelSetAttribute attributes.
constexpr DWORD BASS_ATTRIB_MUSIC_AMPLIFY = 0x100;  // 0 to 100; 50 is unity gain

// BASS_ChannelIsActive results.
constexpr DWORD BASS_ACTIVE_STOPPED = 0;
constexpr DWORD BASS_ACTIVE_PLAYING = 1;
constexpr DWORD BASS_ACTIVE_PAUSED = 3;

// device -1 is the default output. Non-zero on success.
BOOL BASS_Init(int device, DWORD frequency, DWORD flags, HWND window, const void* classId);
BOOL BASS_Free();
// Halts and resumes the whole output.
BOOL BASS_Stop();
BOOL BASS_Start();
// fromMemory 1: file points at length bytes starting at offset. Returns 0 on failure.
HMUSIC BASS_MusicLoad(BOOL fromMemory, const void* file, QWORD offset, DWORD length, DWORD flags,
                      DWORD frequency);
BOOL BASS_MusicFree(HMUSIC handle);
// restart 0 resumes a paused channel where it stopped; a fresh module starts at its beginning.
BOOL BASS_ChannelPlay(DWORD handle, BOOL restart);
BOOL BASS_ChannelPause(DWORD handle);
DWORD BASS_ChannelIsActive(DWORD handle);
BOOL BASS_ChannelSetAttribute(DWORD handle, DWORD attribute, float value);
// Copies the most recently heard stereo 16-bit frames into buffer; returns the
// bytes written, or (DWORD)-1 when the handle names no module.
DWORD BASS_ChannelGetData(DWORD handle, void* buffer, DWORD length);
