// Gains from measured loudness: the one gain of a loudness normalize, and the ReplayGain 2.0
// and Opus R128 values of a track or album.
#pragma once

#include <string>

#include "engines/LoudnessMeter.h"

// A loudness normalize keeps the true peak at or below this.
constexpr double kTruePeakCeilingDb = -1.0;
// Opus R128 gains are relative to this loudness.
constexpr double kR128ReferenceLufs = -23.0;

// The linear gain that brings the measured audio to `targetLufs`, lowered so its true peak
// stays at or below kTruePeakCeilingDb. Audio without measurable loudness (silence, under
// 0.4 s) is only lowered where its peak needs it.
double LoudnessNormalizeGain(const LoudnessResult& measured, double targetLufs);

// ReplayGain 2.0: the gain in dB that brings `lufs` to the −18 LUFS reference; 0 when the
// loudness is not measurable.
double ReplayGainDb(double lufs);
// Opus R128_*_GAIN: the gain to −23 LUFS in Q7.8 (1/256 dB steps), held within 16 bits.
int R128GainQ78(double lufs);

// The loudness and true peak (linear) of a track or an album.
struct GainValues {
  double lufs = 0;
  double truePeak = 0;
};
