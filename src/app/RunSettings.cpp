#include "app/RunSettings.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/UserDirs.h"

#include "engines/WmaProfiles.h"
#include "settings/IniFile.h"
#include "settings/LookupTables.h"
#include "settings/SettingsKeys.h"

namespace keys = settings_keys;

namespace {

static_assert(keys::kWmaFormat.high == static_cast<int>(kWmaProfileCount) - 1);
static_assert(keys::kForint.high == kOutputFormatCount - 1);
static_assert(keys::kFlacBit.high == static_cast<int>(kFlacDepthCount) - 1);
static_assert(keys::kFlacCompression.high == kFlacMaxCompression);
static_assert(keys::kOpusBitrate.low == kOpusMinKbps && keys::kOpusBitrate.high == kOpusMaxKbps);
static_assert(keys::kOpusMode.high == static_cast<int>(OpusRateControl::kCbr));
static_assert(keys::kOpusComplexity.high == kOpusMaxComplexity);
static_assert(keys::kM4aBitrate.low == kM4aMinKbps && keys::kM4aBitrate.high == kM4aMaxKbps);
static_assert(keys::kM4aVbrQuality.high == kM4aMaxVbrQuality);
static_assert(keys::kMp3Frequency.high == static_cast<int>(kSampleRateCount) - 1);
static_assert(keys::kMp3Bitrate.high == static_cast<int>(kBitRateCount) - 1);
static_assert(keys::kWavBit.high == static_cast<int>(kBitsPerSampleCount) - 1);

int ReadSampleRate(const TIniFile& settings, const IntegerKey& key) {
  return kSampleRates[ReadForRun(settings, key)];
}

int ReadBitRate(const TIniFile& settings, const IntegerKey& key) {
  return kBitRates[ReadForRun(settings, key)];
}

// Channel keys hold 0 for mono and 1 for stereo; the engine wants the count.
int ReadChannels(const TIniFile& settings, const IntegerKey& key) {
  return ReadForRun(settings, key) + 1;
}

}  // namespace

const char* OutputExtension(int formatIndex) {
  static const char* const extensions[kOutputFormatCount] = {".mp3", ".wav",  ".wma", ".ogg",
                                                             ".flac", ".opus", ".m4a"};
  return extensions[ValidOutputFormatIndex(formatIndex)];
}

AudioFormat OutputAudioFormat(int formatIndex) {
  static const AudioFormat formats[kOutputFormatCount] = {
      AudioFormat::kMp3,  AudioFormat::kWav,  AudioFormat::kWma, AudioFormat::kOgg,
      AudioFormat::kFlac, AudioFormat::kOpus, AudioFormat::kM4a};
  return formats[ValidOutputFormatIndex(formatIndex)];
}

int ValidFormatIndex(int formatIndex) {
  return formatIndex >= 0 && formatIndex < kClassicFormatCount ? formatIndex : kFormatMp3;
}

bool KeepsSourceShape(int formatIndex) {
  return formatIndex == kFormatFlac || formatIndex == kFormatOpus || formatIndex == kFormatM4a;
}

int ValidOutputFormatIndex(int formatIndex) {
  return formatIndex >= 0 && formatIndex < kOutputFormatCount ? formatIndex : kFormatMp3;
}

Mp3RunSettings ReadMp3RunSettings(const TIniFile& settings) {
  Mp3RunSettings s{};
  s.sampleRate = ReadSampleRate(settings, keys::kMp3Frequency);
  s.bitRate = ReadBitRate(settings, keys::kMp3Bitrate);
  s.channels = ReadChannels(settings, keys::kMp3Channel);
  s.quality = ReadForRun(settings, keys::kMp3Quality);
  s.enableVbr = ReadUncheckedForRun(settings, keys::kMp3EnableVbr);
  s.vbrBitRate = ReadBitRate(settings, keys::kMp3VbrBitrate);
  s.vbrQuality = ReadForRun(settings, keys::kMp3VbrQuality);
  return s;
}

WavRunSettings ReadWavRunSettings(const TIniFile& settings) {
  WavRunSettings s{};
  s.mode = ReadUncheckedForRun(settings, keys::kWavMode);
  s.sampleRate = ReadSampleRate(settings, keys::kWavFrequency);
  s.channels = ReadChannels(settings, keys::kWavChannel);
  s.bitsPerSample = kBitsPerSample[ReadForRun(settings, keys::kWavBit)];
  return s;
}

int ReadWmaProfileNumber(const TIniFile& settings) {
  return ReadForRun(settings, keys::kWmaFormat) + 1;
}

OggRunSettings ReadOggRunSettings(const TIniFile& settings) {
  OggRunSettings s{};
  s.qualityMode = ReadBoolForRun(settings, keys::kOggEnableQuality);
  s.sampleRate = ReadSampleRate(settings, keys::kOggFrequency);
  s.channels = ReadChannels(settings, keys::kOggChannel);
  s.bitRate = ReadBitRate(settings, keys::kOggBitrate);
  s.maxBitRate = ReadBitRate(settings, keys::kOggMaxBitrate);
  s.minBitRate = ReadBitRate(settings, keys::kOggMinBitrate);
  s.quality = ReadForRun(settings, keys::kOggQuality);
  return s;
}

FlacSettings FlacRunSettings(const KeyValue& value) {
  FlacSettings s;
  s.compression = value(keys::kFlacCompression);
  s.bitsPerSample = kFlacDepths[value(keys::kFlacBit)];
  return s;
}

OpusSettings OpusRunSettings(const KeyValue& value) {
  OpusSettings s;
  s.bitRate = value(keys::kOpusBitrate);
  s.rateControl = static_cast<OpusRateControl>(value(keys::kOpusMode));
  s.complexity = value(keys::kOpusComplexity);
  return s;
}

M4aSettings M4aRunSettings(const KeyValue& value) {
  M4aSettings s;
  s.bitRate = value(keys::kM4aBitrate);
  if (value(keys::kM4aEnableVbr) == 1) s.vbrQuality = value(keys::kM4aVbrQuality);
  return s;
}

OutputFormatSettings ReadOutputFormatSettings(int formatIndex, const TIniFile& settings) {
  OutputFormatSettings s;
  s.formatIndex = ValidOutputFormatIndex(formatIndex);
  s.mp3 = ReadMp3RunSettings(settings);
  s.wav = ReadWavRunSettings(settings);
  s.wmaProfileNumber = ReadWmaProfileNumber(settings);
  s.ogg = ReadOggRunSettings(settings);
  const KeyValue stored = [&settings](const IntegerKey& key) { return ReadForRun(settings, key); };
  s.flac = FlacRunSettings(stored);
  s.opus = OpusRunSettings(stored);
  s.m4a = M4aRunSettings(stored);
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
  std::string folder = ReadText(settings, keys::kDir);
  // Anything but an absolute path (an older file's "C:\My Music", say) would become a folder of
  // that literal name wherever the program happens to run.
  bool usable = !folder.empty() && folder.front() == '/';
  return WithTrailingSlash(usable ? folder : DefaultOutputFolder());
}

std::string WithTrailingSlash(const std::string& folder) {
  return !folder.empty() && folder.back() == '/' ? folder : folder + "/";
}
