#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace soundtrack {

double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double DbToGain(double db) { return std::pow(10.0, db / 20.0); }

void PanGains(double pan, double* left, double* right) {
  const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
  *left = std::cos(angle);
  *right = std::sin(angle);
}

namespace {

// Correction around a discontinuity of a phase ramp, t in [0, 1), dt the phase step.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

double Saw::Next(double hz) {
  const double dt = hz / kSampleRate;
  phase_ -= std::floor(phase_);
  const double value = 2.0 * phase_ - 1.0 - PolyBlep(phase_, dt);
  phase_ += dt;
  return value;
}

double Sine::Next(double hz) {
  const double value = std::sin(2.0 * kPi * phase_);
  phase_ += hz / kSampleRate;
  phase_ -= std::floor(phase_);
  return value;
}

Svf::Out Svf::Process(double in, double cutoffHz, double q) {
  const double fc = std::clamp(cutoffHz, 10.0, kSampleRate * 0.45);
  const double g = std::tan(kPi * fc / kSampleRate);
  const double k = 1.0 / std::max(q, 0.05);
  const double a1 = 1.0 / (1.0 + g * (g + k));
  const double a2 = g * a1;
  const double a3 = g * a2;
  const double v3 = in - ic2_;
  const double v1 = a1 * ic1_ + a2 * v3;
  const double v2 = ic2_ + a2 * ic1_ + a3 * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  return {v2, v1, in - k * v1 - v2};
}

double Noise::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 7;
  state_ ^= state_ << 17;
  return static_cast<double>(state_ >> 11) * (2.0 / 9007199254740992.0) - 1.0;
}

double Adsr::At(double t, double held) const {
  auto holding = [&](double u) {
    if (u < 0.0) return 0.0;
    if (u < attack) return u / attack;
    if (u < attack + decay) return 1.0 - (1.0 - sustain) * (u - attack) / decay;
    return sustain;
  };
  if (t < held) return holding(t);
  const double level = holding(held);
  const double since = t - held;
  if (since >= release) return 0.0;
  return level * (1.0 - since / release);
}

void PingPongDelay(const Stereo& in, Stereo* out, double delaySeconds, double feedback, double damping) {
  const size_t delay = static_cast<size_t>(delaySeconds * kSampleRate);
  const size_t frames = in.Frames();
  std::vector<float> lineL(delay, 0.0f), lineR(delay, 0.0f);
  double lowL = 0.0, lowR = 0.0;
  size_t pos = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double tapL = lineL[pos], tapR = lineR[pos];
    lowL += (tapL - lowL) * (1.0 - damping);
    lowR += (tapR - lowR) * (1.0 - damping);
    // Mono sum enters on the left; each repeat crosses to the other side.
    const double mono = 0.5 * (in.left[i] + in.right[i]);
    lineL[pos] = static_cast<float>(mono + lowR * feedback);
    lineR[pos] = static_cast<float>(lowL * feedback);
    out->Add(i, tapL, tapR);
    pos = (pos + 1) % delay;
  }
}

namespace {

class Comb {
 public:
  explicit Comb(size_t length) : line_(length, 0.0f) {}
  double Process(double in, double feedback, double damping) {
    const double out = line_[pos_];
    low_ = out * (1.0 - damping) + low_ * damping;
    line_[pos_] = static_cast<float>(in + low_ * feedback);
    pos_ = (pos_ + 1) % line_.size();
    return out;
  }

 private:
  std::vector<float> line_;
  size_t pos_ = 0;
  double low_ = 0.0;
};

class AllPass {
 public:
  explicit AllPass(size_t length) : line_(length, 0.0f) {}
  double Process(double in) {
    const double delayed = line_[pos_];
    const double out = delayed - in;
    line_[pos_] = static_cast<float>(in + delayed * 0.5);
    pos_ = (pos_ + 1) % line_.size();
    return out;
  }

 private:
  std::vector<float> line_;
  size_t pos_ = 0;
};

}  // namespace

void Reverb(const Stereo& in, Stereo* out, double size, double damping, double width) {
  // Mutually prime line lengths (samples at 44.1 kHz) keep the echo density smooth.
  static const size_t kCombs[] = {1123, 1201, 1279, 1361, 1427, 1493, 1559, 1621};
  static const size_t kAllPasses[] = {563, 439, 347, 227};
  constexpr size_t kSpread = 29;
  std::vector<Comb> combsL, combsR;
  std::vector<AllPass> passL, passR;
  for (size_t c : kCombs) {
    combsL.emplace_back(c);
    combsR.emplace_back(c + kSpread);
  }
  for (size_t a : kAllPasses) {
    passL.emplace_back(a);
    passR.emplace_back(a + kSpread);
  }
  const double feedback = 0.7 + 0.28 * std::clamp(size, 0.0, 1.0);
  const double wet1 = 0.5 * (1.0 + width), wet2 = 0.5 * (1.0 - width);
  for (size_t i = 0; i < in.Frames(); ++i) {
    const double input = 0.015 * (in.left[i] + in.right[i]);
    double l = 0.0, r = 0.0;
    for (size_t c = 0; c < combsL.size(); ++c) {
      l += combsL[c].Process(input, feedback, damping);
      r += combsR[c].Process(input, feedback, damping);
    }
    for (size_t a = 0; a < passL.size(); ++a) {
      l = passL[a].Process(l);
      r = passR[a].Process(r);
    }
    out->Add(i, l * wet1 + r * wet2, r * wet1 + l * wet2);
  }
}

}  // namespace soundtrack
