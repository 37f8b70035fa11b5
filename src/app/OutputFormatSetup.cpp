#include "app/OutputFormatSetup.h"

#include "app/RunSettings.h"
#include "engines/AudioFile2.h"
#include "engines/AudioFile2LameEnc.h"

namespace {

constexpr int kCdRate = 44100;
constexpr int kCdChannels = 2;
constexpr int kCdBits = 16;

void SetEncoderValues(const Mp3RunSettings& s, TAudioFile2LameEnc& encoder) {
  encoder.SetSampleRate(s.sampleRate);
  encoder.SetBitRate(s.bitRate);
  encoder.SetChannels(s.channels);
  encoder.SetQuality(s.quality);
  if (s.enableVbr == 0) {
    encoder.SetVbrMethod(TAudioFile2LameEnc::kVbrOff);
  } else if (s.enableVbr == 1) {
    encoder.SetVbrMethod(TAudioFile2LameEnc::kVbrOn);
    encoder.SetVbrBitRate(s.vbrBitRate);
    encoder.SetVbrQuality(s.vbrQuality);
  }
}

std::string Kbps(int kbps) { return std::to_string(kbps) + " kbit/s"; }

std::optional<FormatRefusal> Mp3Refusal(int sampleRate, int kbps, int channels,
                                        const TAudioFile2& writer) {
  if (writer.IsMp3FormatSupported(sampleRate, kbps, channels)) return std::nullopt;
  return FormatRefusal{kMp3Refusal, "The MP3 encoder refuses " + std::to_string(sampleRate) +
                                        " Hz at " + Kbps(kbps) + ", " + std::to_string(channels) +
                                        " channels: change \"frequency\", \"bitrate\" or "
                                        "\"channel\" under [mp3]"};
}

std::optional<FormatRefusal> SetUpMp3(const Mp3RunSettings& settings, TAudioFile2& writer,
                                      TAudioFile2LameEnc& encoder) {
  SetEncoderValues(settings, encoder);
  std::optional<FormatRefusal> refusal =
      Mp3Refusal(encoder.SampleRate(), encoder.BitRate(), encoder.Channels(), writer);
  if (!refusal) writer.SetMp3Encoder(encoder);
  return refusal;
}

void SetUpWav(const WavRunSettings& s, TAudioFile2& writer) {
  if (s.mode == kWavCdQuality) writer.SetWavFormat(kCdRate, kCdChannels, kCdBits);
  else if (s.mode == kWavCustom) writer.SetWavFormat(s.sampleRate, s.channels, s.bitsPerSample);
  // Any other mode leaves the writer's format as it was.
}

// Quality mode is never refused.
std::optional<FormatRefusal> OggRefusal(const OggRunSettings& s, const TAudioFile2& writer) {
  if (s.qualityMode ||
      writer.IsOggFormatSupported(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate))
    return std::nullopt;
  return FormatRefusal{
        kOggRefusal, "The Vorbis encoder refuses " + std::to_string(s.sampleRate) + " Hz, " +
                         std::to_string(s.channels) + " channels at " + Kbps(s.bitRate) +
                         " (max " + Kbps(s.maxBitRate) + ", min " + Kbps(s.minBitRate) +
                         "): change \"frequency\", \"channel\", \"bitrate\", \"max bitrate\" "
                         "or \"min bitrate\", or set \"enable quality\" to 1, under [ogg]"};
}

std::optional<FormatRefusal> SetUpOgg(const OggRunSettings& s, TAudioFile2& writer) {
  if (s.qualityMode) {
    writer.SetOggFormat(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate,
                        static_cast<int16_t>(s.quality));
    return std::nullopt;
  }
  if (std::optional<FormatRefusal> refusal = OggRefusal(s, writer)) return refusal;
  writer.SetOggFormat(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate,
                      kOggBitRateMode);
  return std::nullopt;
}

std::string SourceOr(int value, const char* unit) {
  return value == 0 ? std::string("the source's ") + unit : std::to_string(value) + " " + unit;
}

std::optional<FormatRefusal> FlacRefusal(const FlacSettings& s, const TAudioFile2& writer) {
  if (writer.IsFlacFormatSupported(s)) return std::nullopt;
  return FormatRefusal{kFlacRefusal, "The FLAC encoder refuses level " +
                                         std::to_string(s.compression) + " at " +
                                         SourceOr(s.bitsPerSample, "bits") + ", " +
                                         SourceOr(s.sampleRate, "Hz") + ", " +
                                         SourceOr(s.channels, "channels") +
                                         ": change \"compression\" or \"bit\" under [flac]"};
}

std::optional<FormatRefusal> OpusRefusal(const OpusSettings& s, const TAudioFile2& writer) {
  if (writer.IsOpusFormatSupported(s)) return std::nullopt;
  return FormatRefusal{kOpusRefusal, "The Opus encoder refuses " + Kbps(s.bitRate) +
                                         " at complexity " + std::to_string(s.complexity) +
                                         ": change \"bitrate\" or \"complexity\" under [opus]"};
}

std::optional<FormatRefusal> M4aRefusal(const M4aSettings& s, const TAudioFile2& writer) {
  if (writer.IsM4aFormatSupported(s)) return std::nullopt;
  return FormatRefusal{kM4aRefusal, "The AAC encoder refuses " + Kbps(s.bitRate) + " (VBR quality " +
                                        std::to_string(s.vbrQuality) + ") at " +
                                        SourceOr(s.sampleRate, "Hz") + ", " +
                                        SourceOr(s.channels, "channels") +
                                        ": change \"bitrate\" or \"vbr quality\" under [m4a]"};
}

// FLAC, Opus and M4A: checked as a whole, then every value handed over.
std::optional<FormatRefusal> SetUpExtendedFormat(const OutputFormatSettings& format,
                                                 TAudioFile2& writer) {
  if (std::optional<FormatRefusal> refusal = OutputFormatRefusal(format, writer)) return refusal;
  writer.SetFlacFormat(format.flac);
  writer.SetOpusFormat(format.opus);
  writer.SetM4aFormat(format.m4a);
  return std::nullopt;
}

}  // namespace

std::optional<FormatRefusal> OutputFormatRefusal(const OutputFormatSettings& format,
                                                 const TAudioFile2& writer) {
  const Mp3RunSettings& mp3 = format.mp3;
  switch (format.formatIndex) {
    case kFormatMp3: return Mp3Refusal(mp3.sampleRate, mp3.bitRate, mp3.channels, writer);
    case kFormatOgg: return OggRefusal(format.ogg, writer);
    case kFormatFlac: return FlacRefusal(format.flac, writer);
    case kFormatOpus: return OpusRefusal(format.opus, writer);
    case kFormatM4a: return M4aRefusal(format.m4a, writer);
    default: return std::nullopt;
  }
}

std::optional<FormatRefusal> SetUpOutputFormat(const OutputFormatSettings& format,
                                             TAudioFile2& writer, TAudioFile2LameEnc& encoder) {
  switch (format.formatIndex) {
    case kFormatWav:
      SetUpWav(format.wav, writer);
      return std::nullopt;
    case kFormatWma:
      writer.SetWmaProfile(format.wmaProfileNumber);
      return std::nullopt;
    case kFormatOgg:
      return SetUpOgg(format.ogg, writer);
    case kFormatFlac:
    case kFormatOpus:
    case kFormatM4a:
      return SetUpExtendedFormat(format, writer);
    default:
      return SetUpMp3(format.mp3, writer, encoder);
  }
}
