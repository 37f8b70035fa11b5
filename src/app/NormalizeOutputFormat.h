// A normalized file keeps its source's kind of audio: the same encoding (MP3, WAV, WMA, OGG,
// FLAC, Opus or M4A), sample rate and channel count, and the bit rate the encoder offers
// nearest to the source's. Opus always decodes at 48 kHz, so its outputs have that rate.
#pragma once

#include <cstdint>

#include "tags/AudioFormat.h"

class TAudioFile2;
class TAudioFile2LameEnc;

struct SourceAudio {
  int sampleRate;   // Hz
  int channels;     // 1 or 2, as the reader hands them out
  int bitRateKbps;  // the source's average; 0 when unknown
};

// The source's average bit rate from its size and playing time; 0 when either is unknown.
int AverageBitRateKbps(uint64_t fileBytes, int64_t durationMs);

// Sets the writer up for an output of that format (kOther is written as WAV). `encoder` holds
// the MP3 values the output starts from; only rate, channels and bit rate are changed.
void SetUpNormalizeOutput(AudioFormat output, const SourceAudio& source, TAudioFile2& writer,
                          TAudioFile2LameEnc& encoder);

// The choices behind it, each the encoder's offer nearest to what is asked.
struct Mp3Choice {
  int sampleRate;
  int bitRateKbps;
};
Mp3Choice NearestMp3Format(const SourceAudio& source, const TAudioFile2& writer);
int NearestOggBitRate(const SourceAudio& source, const TAudioFile2& writer);
int NearestWmaProfileNumber(const SourceAudio& source);
int NearestOpusBitRate(const SourceAudio& source);
int NearestM4aBitRate(const SourceAudio& source, const TAudioFile2& writer);
