// What a run reads from the settings file at its start, turned into engine values. A stored
// index outside its table falls back to that key's run default.
#pragma once

#include <functional>
#include <string>

#include "engines/EncoderBackend.h"
#include "base/AudioFormat.h"

class TIniFile;
struct IntegerKey;

// The output format index, as the format choice and "Forint" hold it. The window's classic
// list has the first four; the command line has all.
enum OutputFormatIndex {
  kFormatMp3 = 0, kFormatWav = 1, kFormatWma = 2, kFormatOgg = 3,
  kFormatFlac = 4, kFormatOpus = 5, kFormatM4a = 6
};
constexpr int kClassicFormatCount = 4;
constexpr int kOutputFormatCount = 7;
// ".mp3", ".wav", ".wma", ".ogg", ".flac", ".opus", ".m4a"; an index outside 0..6 counts as MP3.
const char* OutputExtension(int formatIndex);
// The format an output of that index is written in; an index outside 0..6 counts as MP3.
AudioFormat OutputAudioFormat(int formatIndex);
// The classic list's index: anything outside 0..3 counts as MP3.
int ValidFormatIndex(int formatIndex);
// Any output format's index: anything outside 0..6 counts as MP3.
int ValidOutputFormatIndex(int formatIndex);
// FLAC, Opus and M4A take all the source's channels and its depth.
bool KeepsSourceShape(int formatIndex);

struct Mp3RunSettings {
  int sampleRate;  // Hz
  int bitRate;     // kbit/s
  int channels;
  int quality;
  int enableVbr;   // 0 off, 1 on, anything else leaves the encoder's VBR setting alone
  int vbrBitRate;  // kbit/s
  int vbrQuality;
};

enum WavMode { kWavCdQuality = 0, kWavBestSuited = 1, kWavCustom = 2 };
struct WavRunSettings {
  int mode;  // any value other than 0 and 2 sets no format
  int sampleRate;
  int channels;
  int bitsPerSample;
};

struct OggRunSettings {
  bool qualityMode;
  int sampleRate;
  int channels;
  int bitRate;
  int maxBitRate;
  int minBitRate;
  int quality;
};

Mp3RunSettings ReadMp3RunSettings(const TIniFile& settings);
WavRunSettings ReadWavRunSettings(const TIniFile& settings);
int ReadWmaProfileNumber(const TIniFile& settings);  // 1-based engine profile number
OggRunSettings ReadOggRunSettings(const TIniFile& settings);

// The value of one of the "flac", "opus" and "m4a" keys, within the key's range: what a run
// reads, or what the settings dialog's controls hold before OK stores them.
using KeyValue = std::function<int(const IntegerKey&)>;
// Rate and channels stay the source's own (0) unless the command line sets them for a run.
FlacSettings FlacRunSettings(const KeyValue& value);
OpusSettings OpusRunSettings(const KeyValue& value);
M4aSettings M4aRunSettings(const KeyValue& value);

// The chosen output format with the stored settings of every format; only the chosen one's
// values reach the writer.
struct OutputFormatSettings {
  int formatIndex = kFormatMp3;  // always within 0..6
  Mp3RunSettings mp3{};
  WavRunSettings wav{};
  int wmaProfileNumber = 0;
  OggRunSettings ogg{};
  FlacSettings flac{};
  OpusSettings opus{};
  M4aSettings m4a{};
};
OutputFormatSettings ReadOutputFormatSettings(int formatIndex, const TIniFile& settings);

// The user's music folder: $XDG_MUSIC_DIR, else the one user-dirs.dirs names (UserDirs.h),
// else $HOME/Music.
std::string DefaultOutputFolder();
// "Dir" of "Format"; the default folder when absent, empty or not an absolute path. Always
// ends in '/'.
std::string ReadOutputFolder(const TIniFile& settings);
std::string WithTrailingSlash(const std::string& folder);
