#include "demo/music_position.h"

DWORD musicPosition = 0;
