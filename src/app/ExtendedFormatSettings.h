// The stored settings of the output formats after the four classic ones: sections "flac",
// "opus" and "m4a" of the settings file, each key with its default and range. A key that is
// absent, not a number or out of its range reads as its default.
#pragma once

#include "engines/EncoderBackend.h"

class TIniFile;

struct SettingsKey {
  const char* section;
  const char* key;
  int defaultValue;
  int low;
  int high;
};

// "bit": 0 the source's own depth, 1 16-bit, 2 24-bit.
constexpr SettingsKey kFlacCompressionKey{"flac", "compression", 5, 0, kFlacMaxCompression};
constexpr SettingsKey kFlacBitsKey{"flac", "bit", 0, 0, 2};
// "bitrate" in kbit/s; "mode": 0 VBR, 1 constrained VBR, 2 CBR.
constexpr SettingsKey kOpusBitRateKey{"opus", "bitrate", 128, kOpusMinKbps, kOpusMaxKbps};
constexpr SettingsKey kOpusModeKey{"opus", "mode", 0, 0, 2};
constexpr SettingsKey kOpusComplexityKey{"opus", "complexity", 10, 0, kOpusMaxComplexity};
// "bitrate" in kbit/s; "enable vbr" boolean; "vbr quality" FFmpeg's AAC quality in tenths.
constexpr SettingsKey kM4aBitRateKey{"m4a", "bitrate", 192, kM4aMinKbps, kM4aMaxKbps};
constexpr SettingsKey kM4aEnableVbrKey{"m4a", "enable vbr", 0, 0, 1};
constexpr SettingsKey kM4aVbrQualityKey{"m4a", "vbr quality", 10, 1, kM4aMaxVbrQuality};

// The FLAC depths "bit" selects; 0 is the source's own.
constexpr int kFlacDepths[] = {0, 16, 24};

int ReadSettingsKey(const TIniFile& settings, const SettingsKey& key);

// Rate and channels are the source's own (0) unless the command line sets them for a run.
FlacSettings ReadFlacRunSettings(const TIniFile& settings);
OpusSettings ReadOpusRunSettings(const TIniFile& settings);
M4aSettings ReadM4aRunSettings(const TIniFile& settings);
