#include "composition.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "instruments.h"
#include "master.h"

namespace soundtrack {

namespace {

struct Chord {
  double beat, beats;
  std::vector<double> pad;   // the pad voicing
  std::vector<double> arp;   // five tones, low to high, for the arpeggio
  double root;               // bass note
};

// A minor throughout: i - VI - III - VII, a suspended V into the cut, then i - VI - VII - V
// and home to i.
const std::vector<Chord>& Chords() {
  static const std::vector<Chord> chords = {
      {0, 4, {57, 60, 64, 71}, {64, 69, 72, 76, 81}, 33},   // Am(add9)
      {4, 4, {53, 57, 60, 64}, {65, 69, 72, 76, 81}, 29},   // Fmaj7
      {8, 4, {55, 60, 64, 74}, {64, 67, 72, 76, 79}, 24},   // C(add9)
      {12, 4, {55, 59, 62, 64}, {62, 67, 71, 74, 79}, 31},  // G6
      {16, 2, {52, 57, 59, 64}, {64, 69, 71, 76, 81}, 28},  // Esus4
      {18, 2, {52, 56, 59, 64}, {64, 68, 71, 76, 80}, 28},  // E
      {20, 4, {57, 60, 64, 69}, {64, 69, 72, 76, 81}, 33},  // Am
      {24, 4, {53, 57, 60, 65}, {65, 69, 72, 77, 81}, 29},  // F
      {28, 2, {55, 59, 62, 67}, {62, 67, 71, 74, 79}, 31},  // G
      {30, 2, {52, 56, 59, 64}, {64, 68, 71, 76, 80}, 28},  // E
  };
  return chords;
}

struct LeadNote {
  double beat, beats, note;
};

// The tune over the drop; the leading tone G#4 at the end of bar 8 resolves to A4.
const std::vector<LeadNote>& Melody() {
  static const std::vector<LeadNote> melody = {
      {20, 1, 76},   {21, .5, 74}, {21.5, .5, 72}, {22, 1, 71},   {23, .5, 72},   {23.5, .5, 74},
      {24, 1.5, 72}, {25.5, .5, 69}, {26, .5, 72},  {26.5, .5, 77}, {27, 1, 76},
      {28, 1, 74},   {29, .5, 71}, {29.5, .5, 74}, {30, 1, 76},   {31, .5, 71},   {31.5, .5, 68},
  };
  return melody;
}

double Smooth(double x) {
  x = std::clamp(x, 0.0, 1.0);
  return x * x * (3.0 - 2.0 * x);
}

// Pad brightness: closed at the start, opening through the room part, wide open for the fill.
double PadCutoff(double seconds) {
  const double beat = seconds / kSecondsPerBeat;
  if (beat < 8.0) return 300.0 * std::pow(2000.0 / 300.0, Smooth(beat / 8.0));
  if (beat < 16.0) return 2000.0;
  if (beat < kDropBeat) return 2000.0 * std::pow(2.2, Smooth((beat - 16.0) / 4.0));
  if (beat < kFinalBeat) return 3400.0;
  return 3400.0 * std::pow(0.35, Smooth((beat - kFinalBeat) / 6.0));
}

void AddPads(Stereo* pads) {
  for (const Chord& c : Chords()) {
    const bool intro = c.beat == 0;
    const bool drop = c.beat >= kDropBeat;
    for (double note : c.pad) {
      PadNote n{Beat(c.beat), Beat(c.beats), note, drop ? 0.13 : 0.16};
      if (intro) n.attack = Beat(3.0);  // the swell from silence
      RenderPad(pads, n, PadCutoff);
    }
  }
  // The closing chord: open A minor over two octaves, ringing out.
  for (double note : {45.0, 52.0, 57.0, 60.0, 64.0, 69.0, 76.0}) {
    PadNote n{Beat(kFinalBeat), Beat(4.0), note, 0.13};
    n.attack = 0.02;
    n.release = 2.2;
    RenderPad(pads, n, PadCutoff);
  }
}

void AddArpeggio(Stereo* arp) {
  static const int kPattern[16] = {0, 2, 1, 3, 2, 4, 3, 1, 0, 2, 1, 3, 2, 4, 3, 2};
  for (const Chord& c : Chords()) {
    if (c.beat < 4.0) continue;  // the swell is pads alone
    const bool drop = c.beat >= kDropBeat;
    for (int step = 0; step < static_cast<int>(c.beats * 4); ++step) {
      const double beat = c.beat + step * 0.25;
      if (beat >= kDropBeat - 0.25 && beat < kDropBeat) continue;  // the breath before the cut
      const int index = kPattern[static_cast<int>(beat * 4) % 16];
      const double accent = (step % 4 == 0) ? 1.0 : 0.72;
      // Fades in through bar 2 and brightens towards the cut.
      const double fadeIn = Smooth((beat - 4.0) / 4.0);
      const double bright = drop ? 0.8 : 0.25 + 0.55 * Smooth((beat - 4.0) / 16.0);
      const double level = (drop ? 0.14 : 0.2) * accent * fadeIn;
      const double pan = (step % 2 == 0) ? -0.35 : 0.35;
      RenderPluck(arp, Beat(beat), c.arp[index], level, pan, bright);
    }
  }
  // A last slow spread of the closing chord.
  const double tail[] = {69, 72, 76, 81, 84};
  for (int i = 0; i < 5; ++i) {
    RenderPluck(arp, Beat(kFinalBeat + 0.5 + i * 0.5), tail[i], 0.16 * std::pow(0.8, i), i % 2 ? 0.4 : -0.4, 0.6);
  }
}

// The room part's bell hints at the tune the lead plays after the cut.
void AddBells(Stereo* bells) {
  static const LeadNote kMotif[] = {{8, 1.5, 76}, {9.5, .5, 74}, {10, 1, 72}, {11, 1, 71},
                                    {12, 1.5, 74}, {13.5, .5, 71}, {14, 1, 67}, {15, 1, 69}};
  int i = 0;
  for (const LeadNote& n : kMotif) RenderBell(bells, Beat(n.beat), n.note, 0.09, (i++ % 2) ? 0.25 : -0.25);
}

void AddLowEnd(Stereo* bass) {
  // Quiet part: held subs under the pads, from bar 2.
  for (const Chord& c : Chords()) {
    if (c.beat < 4.0 || c.beat >= kDropBeat) continue;
    RenderSub(bass, Beat(c.beat), Beat(c.beats) - 0.02, c.root + 12, 0.13, 0.05, 0.15);
  }
  // Drop: rolling sixteenths that leave each downbeat to the kick.
  for (const Chord& c : Chords()) {
    if (c.beat < kDropBeat) continue;
    for (int step = 0; step < static_cast<int>(c.beats * 4); ++step) {
      if (step % 4 == 0) continue;
      const double beat = c.beat + step * 0.25;
      RenderBass(bass, Beat(beat), Beat(0.22), c.root + 12, step % 4 == 2 ? 0.42 : 0.36);
    }
  }
  RenderSub(bass, Beat(kFinalBeat), Beat(3.0), 33, 0.3, 0.01, 1.6);
}

void AddLead(Stereo* lead) {
  for (const LeadNote& n : Melody()) RenderLead(lead, Beat(n.beat), Beat(n.beats) - 0.03, n.note, 0.28);
  RenderLead(lead, Beat(kFinalBeat), Beat(3.5), 69, 0.26);
}

void AddDrums(Stereo* drums) {
  // Quiet part: an off-beat hat from bar 3, a shaker joining in bar 4 and growing into the fill.
  for (double beat = 8.5; beat < kDropBeat; beat += 1.0) RenderHat(drums, Beat(beat), 0.06, 0.3, false);
  for (double beat = 12.0; beat < kDropBeat - 0.25; beat += 0.25) {
    const double grow = 1.0 + 0.6 * Smooth((beat - 12.0) / 8.0);
    RenderHat(drums, Beat(beat), (std::fmod(beat, 0.5) == 0 ? 0.025 : 0.045) * grow, -0.35, false);
  }
  // The fill: a snare roll that doubles its rate each half of the bar, over a riser.
  RenderRiser(drums, Beat(12.0), Beat(kDropBeat), 0.22);
  double beat = 16.0;
  while (beat < kDropBeat - 1e-9) {
    const double step = beat < 18.0 ? 0.5 : beat < 19.0 ? 0.25 : 0.125;
    const double x = (beat - 16.0) / 4.0;
    RenderSnare(drums, Beat(beat), 0.12 + 0.38 * x, (x - 0.5) * 0.5);
    beat += step;
  }
  // The drop and the final chord.
  for (double b : {kDropBeat, kFinalBeat}) {
    RenderCrash(drums, Beat(b), 0.22);
    RenderBoom(drums, Beat(b), 0.55);
  }
  for (double b = kDropBeat; b <= kFinalBeat; b += 1.0) RenderKick(drums, Beat(b), 0.8);
  for (double b = kDropBeat + 1.0; b < kFinalBeat; b += 2.0) RenderClap(drums, Beat(b), 0.3);
  for (double b = kDropBeat; b < kFinalBeat; b += 0.25) {
    const bool offbeat = std::fmod(b, 1.0) == 0.5;
    if (offbeat) {
      RenderHat(drums, Beat(b), 0.13, 0.25, true);
    } else if (std::fmod(b, 1.0) != 0.0) {
      RenderHat(drums, Beat(b), 0.05, -0.3, false);
    }
  }
  // Pick-up into the last chord.
  RenderSnare(drums, Beat(31.5), 0.3, -0.2);
  RenderSnare(drums, Beat(31.75), 0.4, 0.2);
}

// Gain of the melodic parts under each kick: they breathe with the beat.
double KickDuck(double seconds) {
  const double beat = seconds / kSecondsPerBeat;
  if (beat < kDropBeat || beat >= kFinalBeat + 1.0) return 1.0;
  const double since = (beat - std::floor(beat)) * kSecondsPerBeat;
  const double x = std::min(1.0, since / 0.24);
  return 1.0 - 0.55 * (1.0 - x) * (1.0 - x);
}

// The breath before the cut: the melodic parts drop out for the last sixteenth.
double Breath(double seconds) {
  const double beat = seconds / kSecondsPerBeat;
  if (beat < kDropBeat - 0.3 || beat >= kDropBeat) return 1.0;
  return std::clamp((kDropBeat - 0.25 - beat) / 0.05, 0.0, 1.0);
}

}  // namespace

Stereo ComposeSoundtrack(double peakDb) {
  const size_t frames = static_cast<size_t>(kLengthSeconds * kSampleRate);
  Stereo pads(frames), arp(frames), bass(frames), lead(frames), drums(frames);
  AddPads(&pads);
  AddArpeggio(&arp);
  AddBells(&arp);
  AddLowEnd(&bass);
  AddLead(&lead);
  AddDrums(&drums);

  // Sends: echoes on the arpeggio and the lead, one shared room for everything melodic.
  Stereo echoSend(frames), echoes(frames);
  for (size_t i = 0; i < frames; ++i) {
    echoSend.Add(i, arp.left[i] * 0.5 + lead.left[i] * 0.35, arp.right[i] * 0.5 + lead.right[i] * 0.35);
  }
  PingPongDelay(echoSend, &echoes, Beat(0.75), 0.45, 0.35);

  Stereo roomSend(frames), room(frames);
  for (size_t i = 0; i < frames; ++i) {
    roomSend.Add(i, pads.left[i] * 0.5 + arp.left[i] * 0.6 + lead.left[i] * 0.5 + drums.left[i] * 0.12,
                 pads.right[i] * 0.5 + arp.right[i] * 0.6 + lead.right[i] * 0.5 + drums.right[i] * 0.12);
  }
  Reverb(roomSend, &room, 0.82, 0.35, 1.0);

  Stereo mix(frames);
  for (size_t i = 0; i < frames; ++i) {
    const double t = i / kSampleRate;
    const double duck = KickDuck(t) * Breath(t);
    const double l = (pads.left[i] + arp.left[i] + lead.left[i] + echoes.left[i] + room.left[i]) * duck +
                     bass.left[i] * KickDuck(t) + drums.left[i];
    const double r = (pads.right[i] + arp.right[i] + lead.right[i] + echoes.right[i] + room.right[i]) * duck +
                     bass.right[i] * KickDuck(t) + drums.right[i];
    mix.Add(i, l, r);
  }
  // Fade the last half second so that the file ends in silence.
  const size_t fade = static_cast<size_t>(0.5 * kSampleRate);
  for (size_t i = 0; i < fade; ++i) {
    const float g = static_cast<float>(static_cast<double>(i) / fade);
    mix.left[frames - 1 - i] *= g;
    mix.right[frames - 1 - i] *= g;
  }
  Master(&mix, peakDb);
  return mix;
}

}  // namespace soundtrack
