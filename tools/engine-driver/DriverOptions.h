// Command line of the engine driver: which file to convert into which, and the format settings.
#pragma once

#include <optional>
#include <string>

#include "engines/EncoderBackend.h"

struct DriverOptions {
  std::string source;
  std::string output;
  // 0 = the source's own value
  int sampleRate = 0;
  int channels = 0;
  // MP3
  int mp3BitRate = 128;
  int mp3Quality = 5;
  bool mp3Vbr = false;
  int mp3VbrBitRate = 128;
  int mp3VbrQuality = 4;
  // OGG: quality kOggBitRateMode (-1) is bit-rate mode
  int oggBitRate = 128;
  int oggMaxBitRate = 128;
  int oggMinBitRate = 128;
  int oggQuality = kOggBitRateMode;
  // WMA
  int wmaProfile = 10;
  // FLAC, Opus, M4A (rate and channels from --rate and --channels where they apply)
  int flacLevel = 5;
  int flacBits = 0;
  int opusBitRate = 128;
  int opusComplexity = 10;
  int m4aBitRate = 192;
  // WAV: bitsPerSample 0 leaves the writer at the source's own format
  int wavBits = 0;
  bool normalize = false;
  bool quiet = false;
};

// Parses argv; on a bad command line returns nothing and fills `error`.
std::optional<DriverOptions> ParseDriverOptions(int argc, char** argv, std::string& error);

extern const char* const kDriverUsage;
