#include "app/NormalizeOutputFormat.h"

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <tuple>
#include <vector>

#include "engines/AudioFile2.h"
#include "engines/AudioFile2LameEnc.h"
#include "engines/EncoderBackend.h"
#include "engines/WmaProfiles.h"

namespace {

constexpr int kFallbackKbps = 128;
constexpr int kLossyMaxChannels = 2;
// OGG quality levels tried when only quality mode is left: 0 (best) to 1000 (smallest).
constexpr int kOggQualityStep = 100;
constexpr int kOggSmallestQuality = 1000;

// Every rate an MP3 or Vorbis encoder is asked for here; MPEG-2's 144 is not in the settings
// table but is an MP3 rate all the same.
constexpr int kCandidateKbps[] = {8,  16,  24,  32,  40,  48,  56,  64,  80,  96,
                                  112, 128, 144, 160, 192, 224, 256, 320};
constexpr int kMp3SampleRates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

// Candidates ordered by their distance from `wanted`, `wanted` itself first.
template <size_t N>
std::vector<int> ByDistance(const int (&values)[N], int wanted, bool includeWanted) {
  std::vector<int> ordered(values, values + N);
  if (includeWanted) ordered.insert(ordered.begin(), wanted);
  std::stable_sort(ordered.begin(), ordered.end(), [wanted](int a, int b) {
    return std::abs(a - wanted) < std::abs(b - wanted);
  });
  return ordered;
}

int WantedKbps(const SourceAudio& source) {
  return source.bitRateKbps > 0 ? source.bitRateKbps : kFallbackKbps;
}

int LossyChannels(const SourceAudio& source) {
  return std::min(source.channels, kLossyMaxChannels);
}

// Quality mode at the level whose stated rate lies nearest `wanted`.
int16_t NearestOggQuality(const SourceAudio& source, int wanted, const TAudioFile2& writer) {
  int best = kOggSmallestQuality;
  int bestDistance = std::numeric_limits<int>::max();
  for (int quality = 0; quality <= kOggSmallestQuality; quality += kOggQualityStep) {
    int kbps = writer.OggQualityBitRate(source.sampleRate, LossyChannels(source), quality);
    if (kbps > 0 && std::abs(kbps - wanted) < bestDistance) {
      best = quality;
      bestDistance = std::abs(kbps - wanted);
    }
  }
  return static_cast<int16_t>(best);
}

void SetUpMp3(const SourceAudio& source, TAudioFile2& writer, TAudioFile2LameEnc& encoder) {
  Mp3Choice choice = NearestMp3Format(source, writer);
  encoder.SetSampleRate(choice.sampleRate);
  encoder.SetChannels(LossyChannels(source));
  encoder.SetBitRate(choice.bitRateKbps);
  encoder.SetVbrMethod(TAudioFile2LameEnc::kVbrOff);
  writer.SetMp3Encoder(encoder);
}

void SetUpOgg(const SourceAudio& source, TAudioFile2& writer) {
  OggChoice choice = NearestOggFormat(source, writer);
  const int kbps = choice.bitRateKbps;
  writer.SetOggFormat(source.sampleRate, LossyChannels(source), kbps, kbps, kbps, choice.quality);
}

// FLAC is lossless: the source's own rate, channels and depth at the default level.
void SetUpFlac(const SourceAudio& source, TAudioFile2& writer) {
  FlacSettings flac;
  flac.sampleRate = source.sampleRate;
  flac.channels = source.channels;
  writer.SetFlacFormat(flac);
}

void SetUpOpus(const SourceAudio& source, TAudioFile2& writer) {
  OpusSettings opus;
  opus.channels = source.channels;
  opus.bitRate = NearestOpusBitRate(source);
  writer.SetOpusFormat(opus);
}

void SetUpM4a(const SourceAudio& source, TAudioFile2& writer) {
  M4aSettings m4a;
  m4a.sampleRate = NearestAacSampleRate(source.sampleRate);
  m4a.channels = source.channels;
  m4a.bitRate = NearestM4aBitRate(source, writer);
  writer.SetM4aFormat(m4a);
}

}  // namespace

int NearestOpusBitRate(const SourceAudio& source) {
  return std::max(kOpusMinKbps, std::min(WantedKbps(source), kOpusMaxKbps));
}

int NearestM4aBitRate(const SourceAudio& source, const TAudioFile2& writer) {
  M4aSettings m4a;
  m4a.sampleRate = NearestAacSampleRate(source.sampleRate);
  m4a.channels = source.channels;
  m4a.bitRate = std::max(kM4aMinKbps, std::min(WantedKbps(source), kM4aMaxKbps));
  // Low rates hold fewer bits per frame: step down until AAC takes it.
  while (m4a.bitRate > kM4aMinKbps && !writer.IsM4aFormatSupported(m4a)) --m4a.bitRate;
  return m4a.bitRate;
}

int AverageBitRateKbps(uint64_t fileBytes, int64_t durationMs) {
  if (fileBytes == 0 || durationMs <= 0) return 0;
  uint64_t kbps = fileBytes * 8 / static_cast<uint64_t>(durationMs);  // bits per ms = kbit/s
  return static_cast<int>(std::min<uint64_t>(kbps, std::numeric_limits<int>::max()));
}

Mp3Choice NearestMp3Format(const SourceAudio& source, const TAudioFile2& writer) {
  for (int rate : ByDistance(kMp3SampleRates, source.sampleRate, false)) {
    for (int kbps : ByDistance(kCandidateKbps, WantedKbps(source), true)) {
      if (writer.IsMp3FormatSupported(rate, kbps, LossyChannels(source))) return {rate, kbps};
    }
  }
  return {source.sampleRate, WantedKbps(source)};  // let the writer name what is wrong
}

OggChoice NearestOggFormat(const SourceAudio& source, const TAudioFile2& writer) {
  const int wanted = WantedKbps(source);
  for (int kbps : ByDistance(kCandidateKbps, wanted, true)) {
    if (writer.IsOggFormatSupported(source.sampleRate, LossyChannels(source), kbps, kbps, kbps))
      return {kbps, kOggBitRateMode};
  }
  return {wanted, NearestOggQuality(source, wanted, writer)};
}

int WavBitsFor(SourcePrecision precision) {
  switch (precision) {
    case SourcePrecision::kWideInteger: return 24;
    case SourcePrecision::kFloat: return kWavFloatBits;
    default: return 16;
  }
}

int NearestWmaProfileNumber(const SourceAudio& source) {
  // Matching rate counts most, then matching channels, then the bit rate.
  auto cost = [&source](const WmaProfile& p) {
    return std::make_tuple(std::abs(p.sampleRate - source.sampleRate),
                           p.channels != LossyChannels(source),
                           std::abs(p.bitRateKbps - WantedKbps(source)));
  };
  size_t best = 0;
  for (size_t i = 1; i < kWmaProfileCount; ++i)
    if (cost(kWmaProfiles[i]) < cost(kWmaProfiles[best])) best = i;
  return static_cast<int>(best) + 1;
}

void SetUpNormalizeOutput(AudioFormat output, const SourceAudio& source, TAudioFile2& writer,
                          TAudioFile2LameEnc& encoder) {
  switch (output) {
    case AudioFormat::kMp3:
      SetUpMp3(source, writer, encoder);
      break;
    case AudioFormat::kOgg:
      SetUpOgg(source, writer);
      break;
    case AudioFormat::kWma:
      writer.SetWmaProfile(NearestWmaProfileNumber(source));
      break;
    case AudioFormat::kFlac:
      SetUpFlac(source, writer);
      break;
    case AudioFormat::kOpus:
      SetUpOpus(source, writer);
      break;
    case AudioFormat::kM4a:
      SetUpM4a(source, writer);
      break;
    default:  // WAV, and whatever else is written as WAV
      writer.SetWavFormat(source.sampleRate, source.channels, WavBitsFor(source.precision));
      break;
  }
}
