// The first pass of a loudness normalize: the source is measured to its end, then opened
// again for the writing pass. The progress bar covers both: the first half measures, the
// second writes.
#pragma once

#include <string>

#include "engines/AudioFile2.h"
#include "engines/SourceLoudness.h"

// Measures the open source and reopens it from its start in the same shape; returns the one
// linear gain that brings it to `targetLufs` (LoudnessNormalizeGain). When `progress` stops
// the measurement early, the gain comes from what was measured.
double MeasureNormalizeGain(TAudioFile2& reader, const std::string& source, ReadFlags shape,
                            double targetLufs, const MeasureProgress& progress);

// The bar's percentage for a pass's own percentage: 0..50 measuring, 50..100 writing.
int MeasuringPercent(int passPercent);
int WritingPercent(int passPercent);
