// The soundtrack: the MP3 from the pack, played from memory for the whole run.
#pragma once

#include <bass.h>

// The stream whose position times the demo (0 when the pack held no playable MP3).
extern HSTREAM soundtrackStream;
// The MP3 bytes the stream reads from; they stay allocated until the process ends.
extern unsigned char* soundtrackData;
extern DWORD soundtrackSize;

// Starts the audio output and the stream from the pack entry "Tarsk.mp3".
void StartSoundtrack();

// '1': while it is held, every frame sends the soundtrack back to its start.
constexpr int kRestartKey = 49;
void RestartSoundtrack();
