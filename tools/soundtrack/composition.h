// The soundtrack, composed against the demo's timeline: 131 beats a minute, so that the cut
// to the second scene (9.16 s) is the downbeat of bar 6 and the closing chord lands on bar 9,
// ringing through the last frame at 16.09 s.
#pragma once

#include "dsp.h"

namespace soundtrack {

constexpr double kTempo = 131.0;
constexpr double kSecondsPerBeat = 60.0 / kTempo;
constexpr double kDropBeat = 20.0;   // the cut between the scenes
constexpr double kFinalBeat = 32.0;  // the resolving chord
constexpr double kLengthSeconds = 18.0;

inline double Beat(double beat) { return beat * kSecondsPerBeat; }

// The whole piece, mixed and mastered: peaks at `peakDb` dBFS, nothing above.
Stereo ComposeSoundtrack(double peakDb = -1.0);

}  // namespace soundtrack
