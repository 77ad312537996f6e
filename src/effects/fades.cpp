#include "effects/fades.h"

#include "app/clocks.h"
#include "demo/music_position.h"

const FadeCue fadeTable[kFadeCueCount] = {
    {1615400, 420.0f},
    {1000, 540.0f},
};

float fadeValue = 0.0f;

void UpdateFade(int cue) {
  // Only the cues of the table exist; any other number has no start and no timer to use.
  if (cue < 0 || cue >= kFadeCueCount) return;
  const float duration = cue == 0 ? 420.0f : 540.0f;
  if (!(musicPosition > fadeTable[cue].start)) return;
  Timer& timer = fadeTimers[cue];
  timer.Start();
  // The elapsed time is the one the previous Update recorded: the first frame shows 1.0.
  if (timer.elapsed < duration) {
    fadeValue = static_cast<float>(1.0f - timer.elapsed / duration);
  } else {
    fadeValue = 0.0f;
  }
  timer.Update();
}
