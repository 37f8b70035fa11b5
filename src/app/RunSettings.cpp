#include "app/RunSettings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/UserDirs.h"

#include "engines/WmaProfiles.h"
#include "settings/IniFile.h"
#include "settings/LookupTables.h"

namespace {

int ReadInRange(const TIniFile& settings, const char* section, const char* key, int defaultValue,
                int low, int high) {
  int value = settings.ReadInteger(section, key, defaultValue);
  return value >= low && value <= high ? value : defaultValue;
}

int ReadSampleRate(const TIniFile& settings, const char* section, const char* key) {
  int hz = 0;
  if (LookupSampleRate(settings.ReadInteger(section, key, kDefaultSampleRateIndex), &hz)) return hz;
  return kSampleRates[kDefaultSampleRateIndex];
}

int ReadBitRate(const TIniFile& settings, const char* section, const char* key) {
  int kbps = 0;
  if (LookupBitRate(settings.ReadInteger(section, key, kDefaultBitRateIndex), &kbps)) return kbps;
  return kBitRates[kDefaultBitRateIndex];
}

// Channel keys hold 0 for mono and 1 for stereo; the engine wants the count.
int ReadChannels(const TIniFile& settings, const char* section) {
  return ReadInRange(settings, section, "channel", 1, 0, 1) + 1;
}

}  // namespace

const char* OutputExtension(int formatIndex) {
  static const char* const extensions[kOutputFormatCount] = {".mp3", ".wav", ".wma", ".ogg"};
  return extensions[ValidFormatIndex(formatIndex)];
}

AudioFormat OutputAudioFormat(int formatIndex) {
  static const AudioFormat formats[kOutputFormatCount] = {AudioFormat::kMp3, AudioFormat::kWav,
                                                          AudioFormat::kWma, AudioFormat::kOgg};
  return formats[ValidFormatIndex(formatIndex)];
}

int ValidFormatIndex(int formatIndex) {
  return formatIndex >= 0 && formatIndex < kOutputFormatCount ? formatIndex : kFormatMp3;
}

Mp3RunSettings ReadMp3RunSettings(const TIniFile& settings) {
  Mp3RunSettings s{};
  s.sampleRate = ReadSampleRate(settings, "mp3", "frequency");
  s.bitRate = ReadBitRate(settings, "mp3", "bitrate");
  s.channels = ReadChannels(settings, "mp3");
  s.quality = ReadInRange(settings, "mp3", "quality", 9, 0, 9);
  s.enableVbr = settings.ReadInteger("mp3", "enable vbr", 0);
  s.vbrBitRate = ReadBitRate(settings, "mp3", "vbr bitrate");
  s.vbrQuality = ReadInRange(settings, "mp3", "vbr quality", 5, 0, 9);
  return s;
}

WavRunSettings ReadWavRunSettings(const TIniFile& settings) {
  WavRunSettings s{};
  s.mode = settings.ReadInteger("wav", "mode", kWavCdQuality);
  s.sampleRate = ReadSampleRate(settings, "wav", "frequency");
  s.channels = ReadChannels(settings, "wav");
  int bits = 16;
  s.bitsPerSample = LookupBitsPerSample(settings.ReadInteger("wav", "bit", 1), &bits) ? bits : 16;
  return s;
}

int ReadWmaProfileNumber(const TIniFile& settings) {
  return ReadInRange(settings, "wma", "format", 9, 0, static_cast<int>(kWmaProfileCount) - 1) + 1;
}

OggRunSettings ReadOggRunSettings(const TIniFile& settings) {
  OggRunSettings s{};
  s.qualityMode = settings.ReadBool("ogg", "enable quality", false);
  s.sampleRate = ReadSampleRate(settings, "ogg", "frequency");
  s.channels = ReadChannels(settings, "ogg");
  s.bitRate = ReadBitRate(settings, "ogg", "bitrate");
  s.maxBitRate = ReadBitRate(settings, "ogg", "max bitrate");
  s.minBitRate = ReadBitRate(settings, "ogg", "min bitrate");
  s.quality = ReadInRange(settings, "ogg", "quality", 300, 0, 1000);
  return s;
}

OutputFormatSettings ReadOutputFormatSettings(int formatIndex, const TIniFile& settings) {
  OutputFormatSettings s;
  s.formatIndex = ValidFormatIndex(formatIndex);
  s.mp3 = ReadMp3RunSettings(settings);
  s.wav = ReadWavRunSettings(settings);
  s.wmaProfileNumber = ReadWmaProfileNumber(settings);
  s.ogg = ReadOggRunSettings(settings);
  return s;
}

std::string DefaultOutputFolder() {
  const char* music = std::getenv("XDG_MUSIC_DIR");
  if (music != nullptr && *music != '\0') return music;
  const char* homeVariable = std::getenv("HOME");
  const std::string home = homeVariable != nullptr && *homeVariable != '\0' ? homeVariable : ".";
  std::ifstream file(UserDirsFilePath());
  std::ostringstream text;
  text << file.rdbuf();
  std::optional<std::string> recorded = UserDirFromText(text.str(), "XDG_MUSIC_DIR", home);
  return recorded ? *recorded : home + "/Music";
}

std::string ReadOutputFolder(const TIniFile& settings) {
  std::string folder = settings.ReadString("Format", "Dir", "");
  // Anything but an absolute path (an older file's "C:\My Music", say) would become a folder of
  // that literal name wherever the program happens to run.
  bool usable = !folder.empty() && folder.front() == '/';
  return WithTrailingSlash(usable ? folder : DefaultOutputFolder());
}

std::string WithTrailingSlash(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}
