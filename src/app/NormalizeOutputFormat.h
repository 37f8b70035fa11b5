// A normalized file keeps its source's kind of audio: the same encoding (MP3, WAV, WMA, OGG,
// FLAC, Opus or M4A), sample rate and channel count, and the bit rate the encoder offers
// nearest to the source's. Opus always decodes at 48 kHz, so its outputs have that rate. A WAV
// keeps all its channels and its depth: 24-bit PCM for integer sources of more than 16 bits
// (24 bits is as fine as the float blocks between reader and writer carry), 32-bit float for
// float sources; everything else is written at 16 bits, except FLAC, which keeps 24 bits of a
// wider source. MP3, OGG and WMA outputs have at most two channels, as their encoders here take.
#pragma once

#include <cstdint>

#include "engines/EncoderBackend.h"
#include "base/AudioFormat.h"

class TAudioFile2;
class TAudioFile2LameEnc;

struct SourceAudio {
  int sampleRate;   // Hz
  int channels;     // as the reader hands them out
  int bitRateKbps;  // the source's average; 0 when unknown
  SourcePrecision precision = SourcePrecision::k16BitsOrLess;
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
// Bit-rate mode at the nearest rate libvorbis takes; where it takes none (rates below
// 8000 Hz), quality mode at the quality whose stated rate is nearest, or the smallest quality
// when libvorbis states no rates either.
struct OggChoice {
  int bitRateKbps;
  int16_t quality;  // kOggBitRateMode, or the quality level
};
OggChoice NearestOggFormat(const SourceAudio& source, const TAudioFile2& writer);
int WavBitsFor(SourcePrecision precision);
int NearestWmaProfileNumber(const SourceAudio& source);
int NearestOpusBitRate(const SourceAudio& source);
int NearestM4aBitRate(const SourceAudio& source, const TAudioFile2& writer);
