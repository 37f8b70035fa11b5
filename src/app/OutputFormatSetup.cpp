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

std::optional<std::string> SetUpMp3(const Mp3RunSettings& settings, TAudioFile2& writer,
                                    TAudioFile2LameEnc& encoder) {
  SetEncoderValues(settings, encoder);
  if (!writer.IsMp3FormatSupported(encoder.SampleRate(), encoder.BitRate(), encoder.Channels()))
    return std::string(kMp3Refusal);
  writer.SetMp3Encoder(encoder);
  return std::nullopt;
}

void SetUpWav(const WavRunSettings& s, TAudioFile2& writer) {
  if (s.mode == kWavCdQuality) writer.SetWavFormat(kCdRate, kCdChannels, kCdBits);
  else if (s.mode == kWavCustom) writer.SetWavFormat(s.sampleRate, s.channels, s.bitsPerSample);
  // Any other mode leaves the writer's format as it was.
}

std::optional<std::string> SetUpOgg(const OggRunSettings& s, TAudioFile2& writer) {
  if (s.qualityMode) {
    writer.SetOggFormat(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate,
                        static_cast<int16_t>(s.quality));
    return std::nullopt;
  }
  if (!writer.IsOggFormatSupported(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate))
    return std::string(kOggRefusal);
  writer.SetOggFormat(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate,
                      kOggBitRateMode);
  return std::nullopt;
}

std::optional<std::string> SetUpExtendedFormat(const OutputFormatSettings& format,
                                               TAudioFile2& writer) {
  std::optional<std::string> refusal = OutputFormatRefusal(format, writer);
  if (refusal) return refusal;
  writer.SetFlacFormat(format.flac);
  writer.SetOpusFormat(format.opus);
  writer.SetM4aFormat(format.m4a);
  return std::nullopt;
}

std::optional<std::string> Refusal(bool supported, const char* text) {
  if (supported) return std::nullopt;
  return std::string(text);
}

}  // namespace

std::optional<std::string> OutputFormatRefusal(const OutputFormatSettings& format,
                                               const TAudioFile2& writer) {
  const OggRunSettings& ogg = format.ogg;
  switch (format.formatIndex) {
    case kFormatMp3:
      return Refusal(writer.IsMp3FormatSupported(format.mp3.sampleRate, format.mp3.bitRate,
                                                 format.mp3.channels), kMp3Refusal);
    case kFormatOgg:
      if (ogg.qualityMode) return std::nullopt;
      return Refusal(writer.IsOggFormatSupported(ogg.sampleRate, ogg.channels, ogg.bitRate,
                                                 ogg.maxBitRate, ogg.minBitRate), kOggRefusal);
    case kFormatFlac: return Refusal(writer.IsFlacFormatSupported(format.flac), kFlacRefusal);
    case kFormatOpus: return Refusal(writer.IsOpusFormatSupported(format.opus), kOpusRefusal);
    case kFormatM4a: return Refusal(writer.IsM4aFormatSupported(format.m4a), kM4aRefusal);
    default: return std::nullopt;
  }
}

std::optional<std::string> SetUpOutputFormat(const OutputFormatSettings& format,
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
