// The master bus: a look-ahead peak limiter and the final level.
#pragma once

#include "dsp.h"

namespace soundtrack {

// Limits transients a few dB, then scales so that the highest sample peaks at `peakDb`
// dBFS. A silent input stays silent.
void Master(Stereo* mix, double peakDb);

// Highest absolute sample value of either channel.
double Peak(const Stereo& s);

}  // namespace soundtrack
