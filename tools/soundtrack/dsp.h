// Small building blocks of the soundtrack synthesiser: band-limited oscillators, a
// state-variable filter, a deterministic noise source, a stereo delay and a reverb.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace soundtrack {

constexpr double kSampleRate = 44100.0;
constexpr double kPi = 3.14159265358979323846;

double MidiToHz(double note);
double DbToGain(double db);

// A stereo buffer of float samples.
struct Stereo {
  explicit Stereo(size_t frames = 0) : left(frames, 0.0f), right(frames, 0.0f) {}
  size_t Frames() const { return left.size(); }
  void Add(size_t frame, double l, double r) {
    if (frame < left.size()) {
      left[frame] += static_cast<float>(l);
      right[frame] += static_cast<float>(r);
    }
  }
  std::vector<float> left;
  std::vector<float> right;
};

// Equal-power pan: -1 left, 0 centre, +1 right.
void PanGains(double pan, double* left, double* right);

// Sawtooth with polyBLEP edges, so the upper harmonics do not fold back.
class Saw {
 public:
  explicit Saw(double phase = 0.0) : phase_(phase) {}
  double Next(double hz);

 private:
  double phase_;
};

// Pulse from two offset saws.
class Pulse {
 public:
  explicit Pulse(double width = 0.5, double phase = 0.0) : width_(width), a_(phase), b_(phase + width) {}
  double Next(double hz) { return a_.Next(hz) - b_.Next(hz); }

 private:
  double width_;
  Saw a_, b_;
};

class Sine {
 public:
  explicit Sine(double phase = 0.0) : phase_(phase) {}
  double Next(double hz);

 private:
  double phase_;
};

// Trapezoidal-integrated state-variable filter: stable under fast cutoff sweeps.
class Svf {
 public:
  struct Out {
    double low, band, high;
  };
  Out Process(double in, double cutoffHz, double q);
  double Low(double in, double cutoffHz, double q = 0.707) { return Process(in, cutoffHz, q).low; }
  double Band(double in, double cutoffHz, double q = 0.707) { return Process(in, cutoffHz, q).band; }
  double High(double in, double cutoffHz, double q = 0.707) { return Process(in, cutoffHz, q).high; }

 private:
  double ic1_ = 0.0, ic2_ = 0.0;
};

// xorshift noise: the same soundtrack on every build.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed ? seed : 0x9E3779B97F4A7C15ull) {}
  double Next();  // uniform in [-1, 1)

 private:
  uint64_t state_;
};

// Attack / decay / sustain / release, evaluated at a time since note-on.
struct Adsr {
  double attack, decay, sustain, release;
  // Level at time t of a note held for `held` seconds.
  double At(double t, double held) const;
};

// Ping-pong echo: the left input repeats on the right and back, damped each time.
void PingPongDelay(const Stereo& in, Stereo* out, double delaySeconds, double feedback, double damping);

// A plate-like reverb: parallel damped combs into series all-passes, the right channel
// with slightly longer lines so that the tail is wide.
void Reverb(const Stereo& in, Stereo* out, double size, double damping, double width);

}  // namespace soundtrack
