#include "demo/soundtrack.h"

#include "app/window_and_device.h"
#include "pack/pack_file.h"

HSTREAM soundtrackStream = 0;
unsigned char* soundtrackData = nullptr;
DWORD soundtrackSize = 0;

void StartSoundtrack() {
  BASS_Init(-1, 44100, BASS_DEVICE_NOSYNC, mainWindow);
  BASS_Start();
  soundtrackData = packFile.Extract("Tarsk.mp3");
  soundtrackSize = packFile.lastSize;
  soundtrackStream = BASS_StreamCreateFile(TRUE, soundtrackData, 0, soundtrackSize, BASS_MP3_SETPOS);
  BASS_StreamPlay(soundtrackStream, FALSE, 0);
}

void RestartSoundtrack() {
  // Play first: a stream that had run out starts again rather than sitting at position 0.
  BASS_StreamPlay(soundtrackStream, FALSE, 0);
  BASS_ChannelSetPosition(soundtrackStream, 0);
}
