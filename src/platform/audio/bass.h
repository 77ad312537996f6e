// Audio-stream stand-in: the calls of the 1.x stream interface the demo makes, playing MP3
// streams held in memory. Positions are bytes of decoded 16-bit PCM at the stream's own
// rate and channel count.
//
// Live host: streams play on the default SDL audio device, and a stream's position is what
// has been played (handed to the device, less the buffer the device still holds), growing
// smoothly between the device's requests. Offline host: no device is opened; a playing
// stream's position follows timeGetTime (whole sample frames) and stops at the stream's end.
#pragma once

#include <cstdint>

#include <windows.h>

typedef uint64_t QWORD;
typedef DWORD HSTREAM;
typedef DWORD HCHANNEL;

// BASS_Init flags. Synchronisers do not exist here, so this one changes nothing.
#define BASS_DEVICE_NOSYNC 16

// BASS_StreamCreateFile flags. Seeking is always exact here (the whole stream is indexed
// when it is created), so this one changes nothing either.
#define BASS_MP3_SETPOS 0x20000

// Error codes, read back with BASS_ErrorGetCode.
#define BASS_OK 0
#define BASS_ERROR_MEM 1
#define BASS_ERROR_FILEOPEN 2
#define BASS_ERROR_DRIVER 3
#define BASS_ERROR_HANDLE 5
#define BASS_ERROR_FORMAT 6
#define BASS_ERROR_POSITION 7
#define BASS_ERROR_INIT 8
#define BASS_ERROR_ALREADY 14
#define BASS_ERROR_ILLPARAM 20
#define BASS_ERROR_DEVICE 23
#define BASS_ERROR_FILEFORM 41
#define BASS_ERROR_UNKNOWN (-1)

// device: -1 for the default output; freq: the output rate (the device converts every
// stream to it); win: unused. FALSE with BASS_ERROR_ALREADY when called twice. When no
// device can be opened in the live host, streams still run on the wall clock, silently.
BOOL BASS_Init(int device, DWORD freq, DWORD flags, HWND win);
// Starts (or resumes) output.
BOOL BASS_Start();
// Stops all output: every stream keeps its position until BASS_Start.
BOOL BASS_Stop();
// Stops output and releases every stream; BASS_Init may be called again.
BOOL BASS_Free();

// mem TRUE: `file` points at the MP3 bytes, which the caller keeps for the stream's whole
// life; the stream reads bytes [offset, offset + length). mem FALSE: `file` is a path and
// length 0 means "to the end of the file". Returns 0 (with one message on stderr) when the
// data holds no MP3 stream.
HSTREAM BASS_StreamCreateFile(BOOL mem, const void* file, DWORD offset, DWORD length, DWORD flags);
// Starts the stream, or lets it go on from where it is; flush TRUE starts it from the
// beginning.
BOOL BASS_StreamPlay(HSTREAM handle, BOOL flush, DWORD flags);
BOOL BASS_StreamFree(HSTREAM handle);
// Decoded length in bytes; (QWORD)-1 for an unknown handle.
QWORD BASS_StreamGetLength(HSTREAM handle);

// The playback position in bytes. An unknown handle (also 0, the result of a failed
// create) reads as position 0, so a program without its soundtrack runs on rather than
// taking an error value for the end of the music.
DWORD BASS_ChannelGetPosition(DWORD handle);
// Moves the position (rounded down to a whole sample frame); playback goes on from there if
// the stream is playing. FALSE with BASS_ERROR_POSITION past the end.
BOOL BASS_ChannelSetPosition(DWORD handle, DWORD position);

// The error of the most recent call (BASS_OK after a success).
int BASS_ErrorGetCode();
