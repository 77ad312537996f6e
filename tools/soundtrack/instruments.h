// The voices of the soundtrack. Each renders one note or hit into a stereo bus, at a
// time in seconds; levels are linear gains.
#pragma once

#include <functional>
#include <vector>

#include "dsp.h"

namespace soundtrack {

// Cutoff of a voice's filter as a function of the soundtrack's time in seconds, so that a
// filter can open across many notes.
using Curve = std::function<double(double seconds)>;

struct PadNote {
  double start, length;  // seconds
  double note;           // MIDI note
  double level;
  double attack = 0.25, release = 0.9;
};
// Six detuned saws (three a side) through a soft low-pass.
void RenderPad(Stereo* bus, const PadNote& n, const Curve& cutoff);

// A plucked square-ish voice with its own filter envelope.
void RenderPluck(Stereo* bus, double start, double note, double level, double pan, double brightness);

// A soft bell: a few inharmonic sine partials dying away at different speeds.
void RenderBell(Stereo* bus, double start, double note, double level, double pan);

// Detuned saw lead with delayed vibrato.
void RenderLead(Stereo* bus, double start, double length, double note, double level);

// A short filtered saw bass note with a sine sub.
void RenderBass(Stereo* bus, double start, double length, double note, double level);

// A soft sustained sub for the quiet part.
void RenderSub(Stereo* bus, double start, double length, double note, double level, double attack,
               double release);

void RenderKick(Stereo* bus, double start, double level);
void RenderClap(Stereo* bus, double start, double level);
void RenderSnare(Stereo* bus, double start, double level, double pan);
void RenderHat(Stereo* bus, double start, double level, double pan, bool open);
void RenderCrash(Stereo* bus, double start, double level);
// Low sine impact under a downbeat.
void RenderBoom(Stereo* bus, double start, double level);
// Filtered noise sweeping upwards from start to end, growing louder.
void RenderRiser(Stereo* bus, double start, double end, double level);

}  // namespace soundtrack
