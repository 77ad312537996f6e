#include "master.h"

#include <algorithm>
#include <cmath>
#include <deque>

namespace soundtrack {

double Peak(const Stereo& s) {
  double peak = 0.0;
  for (size_t i = 0; i < s.Frames(); ++i) {
    peak = std::max({peak, static_cast<double>(std::fabs(s.left[i])), static_cast<double>(std::fabs(s.right[i]))});
  }
  return peak;
}

void Master(Stereo* mix, double peakDb) {
  const size_t frames = mix->Frames();
  const double peak = Peak(*mix);
  if (frames == 0 || peak <= 0.0) return;

  // Let the loudest hits sit this far above the ceiling before the limiter takes them back,
  // so the kick stays punchy but no longer sets the level of everything else.
  constexpr double kHeadroomDb = 3.0;
  const double threshold = peak * DbToGain(-kHeadroomDb);
  std::vector<double> wanted(frames);
  for (size_t i = 0; i < frames; ++i) {
    const double level = std::max(std::fabs(mix->left[i]), std::fabs(mix->right[i]));
    wanted[i] = level > threshold ? threshold / level : 1.0;
  }
  // Look ahead 3 ms: the gain is the smallest wanted gain in the window ahead...
  const size_t ahead = static_cast<size_t>(0.003 * kSampleRate);
  std::vector<double> gain(frames);
  std::deque<size_t> window;  // indices with increasing wanted gain
  for (size_t j = 0; j < frames + ahead; ++j) {
    if (j < frames) {
      while (!window.empty() && wanted[window.back()] >= wanted[j]) window.pop_back();
      window.push_back(j);
    }
    if (j >= ahead) {
      const size_t i = j - ahead;
      while (window.front() < i) window.pop_front();
      gain[i] = wanted[window.front()];
    }
  }
  // ...then ramps down over the look-ahead and recovers over 80 ms.
  const double attackStep = 1.0 / ahead;
  for (size_t i = frames - 1; i-- > 0;) gain[i] = std::min(gain[i], gain[i + 1] + attackStep);
  const double release = 1.0 - std::exp(-1.0 / (0.08 * kSampleRate));
  double g = 1.0;
  for (size_t i = 0; i < frames; ++i) {
    g = std::min(gain[i], g + (1.0 - g) * release);
    mix->left[i] = static_cast<float>(mix->left[i] * g);
    mix->right[i] = static_cast<float>(mix->right[i] * g);
  }
  const double scale = DbToGain(peakDb) / Peak(*mix);
  for (size_t i = 0; i < frames; ++i) {
    mix->left[i] = static_cast<float>(mix->left[i] * scale);
    mix->right[i] = static_cast<float>(mix->right[i] * scale);
  }
}

}  // namespace soundtrack
