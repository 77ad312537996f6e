#include "instruments.h"

#include <algorithm>
#include <cmath>

namespace soundtrack {

namespace {

size_t ToFrame(double seconds) { return static_cast<size_t>(std::max(0.0, seconds) * kSampleRate + 0.5); }

// Gain that takes the last 30 ms of a voice's render window down to silence, so that no voice
// stops with a click however slowly it decays.
double TailFade(size_t i, size_t count) {
  const double fade = 0.03 * kSampleRate;
  return std::min(1.0, static_cast<double>(count - i) / fade);
}

double Cents(double cents) { return std::pow(2.0, cents / 1200.0); }

// A seed per hit from its start time, so that every hit sounds a little different but the
// whole stays reproducible.
uint64_t SeedFor(double start, uint64_t salt) {
  return static_cast<uint64_t>(start * 1000003.0) * 0x9E3779B97F4A7C15ull + salt;
}

}  // namespace

void RenderPad(Stereo* bus, const PadNote& n, const Curve& cutoff) {
  const double hz = MidiToHz(n.note);
  static const double kDetuneL[] = {-11.0, 3.0, 16.0};
  static const double kDetuneR[] = {-15.0, -2.0, 12.0};
  Saw sawsL[3] = {Saw(0.11), Saw(0.47), Saw(0.83)};
  Saw sawsR[3] = {Saw(0.29), Saw(0.61), Saw(0.05)};
  Svf filterL, filterR;
  const Adsr env{n.attack, 0.6, 0.8, n.release};
  const size_t first = ToFrame(n.start);
  const size_t count = ToFrame(n.length + n.release);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double a = env.At(t, n.length) * n.level;
    double l = 0.0, r = 0.0;
    for (int k = 0; k < 3; ++k) {
      l += sawsL[k].Next(hz * Cents(kDetuneL[k]));
      r += sawsR[k].Next(hz * Cents(kDetuneR[k]));
    }
    const double fc = cutoff(n.start + t);
    bus->Add(first + i, filterL.Low(l / 3.0, fc, 0.8) * a, filterR.Low(r / 3.0, fc, 0.8) * a);
  }
}

void RenderPluck(Stereo* bus, double start, double note, double level, double pan, double brightness) {
  const double hz = MidiToHz(note);
  Pulse pulse(0.3, 0.2);
  Saw saw(0.7);
  Svf filter;
  double gl, gr;
  PanGains(pan, &gl, &gr);
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(0.45);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double amp = std::exp(-t / 0.11) * std::min(1.0, t / 0.002);
    const double fc = 300.0 + brightness * 5200.0 * std::exp(-t / 0.06);
    const double s = filter.Low(0.6 * pulse.Next(hz) + 0.4 * saw.Next(hz * Cents(7.0)), fc, 1.4);
    const double v = (s * amp * level) * TailFade(i, count);
    bus->Add(first + i, v * gl, v * gr);
  }
}

void RenderBell(Stereo* bus, double start, double note, double level, double pan) {
  const double hz = MidiToHz(note);
  struct Partial {
    double ratio, gain, decay;
  };
  static const Partial kPartials[] = {{1.0, 1.0, 1.1}, {2.0, 0.35, 0.6}, {3.01, 0.12, 0.3}, {4.17, 0.05, 0.15}};
  Sine sines[4];
  double gl, gr;
  PanGains(pan, &gl, &gr);
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(5.0);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    double s = 0.0;
    for (int k = 0; k < 4; ++k) s += sines[k].Next(hz * kPartials[k].ratio) * kPartials[k].gain * std::exp(-t / kPartials[k].decay);
    const double v = (s * std::min(1.0, t / 0.004) * level) * TailFade(i, count);
    bus->Add(first + i, v * gl, v * gr);
  }
}

void RenderLead(Stereo* bus, double start, double length, double note, double level) {
  const double hz = MidiToHz(note);
  Saw a(0.1), b(0.4), c(0.75);
  Pulse sub(0.5, 0.3);
  Svf filterL, filterR;
  const Adsr env{0.008, 0.25, 0.72, 0.22};
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(length + env.release);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    // Vibrato fades in after the attack, as a player would add it.
    const double depth = std::clamp((t - 0.18) / 0.3, 0.0, 1.0) * 14.0;
    const double f = hz * Cents(depth * std::sin(2.0 * kPi * 5.3 * t));
    const double sa = a.Next(f * Cents(-9.0));
    const double sb = b.Next(f * Cents(9.0));
    const double sc = c.Next(f);
    const double so = sub.Next(f * 0.5);
    const double fc = 1800.0 + 3200.0 * std::exp(-t / 0.25);
    const double amp = env.At(t, length) * level;
    const double l = filterL.Low(0.45 * sa + 0.3 * sc + 0.25 * so, fc, 1.1);
    const double r = filterR.Low(0.45 * sb + 0.3 * sc + 0.25 * so, fc, 1.1);
    bus->Add(first + i, l * amp, r * amp);
  }
}

void RenderBass(Stereo* bus, double start, double length, double note, double level) {
  const double hz = MidiToHz(note);
  Saw saw(0.0);
  Sine sub(0.25);
  Svf filter;
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(length + 0.03);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double gate = t < length ? 1.0 : std::max(0.0, 1.0 - (t - length) / 0.03);
    const double amp = std::min(1.0, t / 0.003) * gate * (0.75 + 0.25 * std::exp(-t / 0.08));
    const double fc = 220.0 + 1400.0 * std::exp(-t / 0.045);
    const double s = filter.Low(saw.Next(hz), fc, 1.3) * 0.7 + sub.Next(hz) * 0.55;
    const double v = s * amp * level;
    bus->Add(first + i, v, v);
  }
}

void RenderSub(Stereo* bus, double start, double length, double note, double level, double attack,
               double release) {
  const double hz = MidiToHz(note);
  Sine sine;
  Saw saw(0.5);
  Svf filter;
  const Adsr env{attack, 0.1, 1.0, release};
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(length + release);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double s = sine.Next(hz) * 0.8 + filter.Low(saw.Next(hz), 260.0, 0.7) * 0.35;
    const double v = s * env.At(t, length) * level;
    bus->Add(first + i, v, v);
  }
}

void RenderKick(Stereo* bus, double start, double level) {
  Sine body;
  Noise noise(SeedFor(start, 1));
  Svf click;
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(0.8);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double f = 46.0 + 120.0 * std::exp(-t / 0.03) + 30.0 * std::exp(-t / 0.004);
    const double amp = std::exp(-t / 0.32) * std::min(1.0, t / 0.0008);
    double s = std::tanh(1.6 * body.Next(f)) * amp;
    s += click.High(noise.Next(), 3000.0) * std::exp(-t / 0.003) * 0.35;
    const double v = (s * level) * TailFade(i, count);
    bus->Add(first + i, v, v);
  }
}

void RenderClap(Stereo* bus, double start, double level) {
  Noise nl(SeedFor(start, 2)), nr(SeedFor(start, 3));
  Svf fl, fr;
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(0.35);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    // Three quick slaps, then the room decay.
    double amp = std::exp(-t / 0.16) * 0.7;
    for (double at : {0.0, 0.011, 0.022}) {
      if (t >= at) amp += std::exp(-(t - at) / 0.006);
    }
    const double l = fl.Band(nl.Next(), 1250.0, 1.6);
    const double r = fr.Band(nr.Next(), 1350.0, 1.6);
    const double g = amp * level * TailFade(i, count);
    bus->Add(first + i, l * g, r * g);
  }
}

void RenderSnare(Stereo* bus, double start, double level, double pan) {
  Noise noise(SeedFor(start, 4));
  Sine body;
  Svf filter;
  double gl, gr;
  PanGains(pan, &gl, &gr);
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(0.25);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double n = filter.Band(noise.Next(), 2600.0, 0.9) * std::exp(-t / 0.07);
    const double b = body.Next(185.0 + 40.0 * std::exp(-t / 0.01)) * std::exp(-t / 0.045);
    const double v = ((0.9 * n + 0.5 * b) * level) * TailFade(i, count);
    bus->Add(first + i, v * gl, v * gr);
  }
}

void RenderHat(Stereo* bus, double start, double level, double pan, bool open) {
  Noise noise(SeedFor(start, open ? 5 : 6));
  Svf hp, top;
  double gl, gr;
  PanGains(pan, &gl, &gr);
  const double decay = open ? 0.11 : 0.022;
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(decay * 6.0);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double s = top.Low(hp.High(noise.Next(), 7500.0, 0.9), 14000.0);
    const double v = (s * std::exp(-t / decay) * level) * TailFade(i, count);
    bus->Add(first + i, v * gl, v * gr);
  }
}

void RenderCrash(Stereo* bus, double start, double level) {
  Noise nl(SeedFor(start, 7)), nr(SeedFor(start, 8));
  Svf hl, hr;
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(5.0);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double amp = (0.6 * std::exp(-t / 0.08) + 0.4 * std::exp(-t / 0.9)) * level * TailFade(i, count);
    bus->Add(first + i, hl.High(nl.Next(), 4200.0, 0.6) * amp, hr.High(nr.Next(), 4000.0, 0.6) * amp);
  }
}

void RenderBoom(Stereo* bus, double start, double level) {
  Sine sine;
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(2.0);
  for (size_t i = 0; i < count; ++i) {
    const double t = i / kSampleRate;
    const double f = 38.0 + 40.0 * std::exp(-t / 0.15);
    const double v = (sine.Next(f) * std::exp(-t / 0.5) * std::min(1.0, t / 0.002) * level) * TailFade(i, count);
    bus->Add(first + i, v, v);
  }
}

void RenderRiser(Stereo* bus, double start, double end, double level) {
  Noise nl(SeedFor(start, 9)), nr(SeedFor(start, 10));
  Svf fl, fr;
  const size_t first = ToFrame(start);
  const size_t count = ToFrame(end - start);
  for (size_t i = 0; i < count; ++i) {
    const double x = static_cast<double>(i) / count;  // 0 .. 1 across the rise
    const double fc = 250.0 * std::pow(9000.0 / 250.0, x);
    const double amp = x * x * level;
    bus->Add(first + i, fl.Band(nl.Next(), fc, 2.5) * amp, fr.Band(nr.Next(), fc * 1.05, 2.5) * amp);
  }
}

}  // namespace soundtrack
