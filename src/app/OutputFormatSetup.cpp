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

std::optional<FormatRefusal> SetUpMp3(const Mp3RunSettings& settings, TAudioFile2& writer,
                                      TAudioFile2LameEnc& encoder) {
  SetEncoderValues(settings, encoder);
  if (!writer.IsMp3FormatSupported(encoder.SampleRate(), encoder.BitRate(), encoder.Channels()))
    return FormatRefusal{kMp3Refusal, "The MP3 encoder refuses " +
                                          std::to_string(encoder.SampleRate()) + " Hz at " +
                                          Kbps(encoder.BitRate()) + ", " +
                                          std::to_string(encoder.Channels()) +
                                          " channels: change \"frequency\", \"bitrate\" or "
                                          "\"channel\" under [mp3]"};
  writer.SetMp3Encoder(encoder);
  return std::nullopt;
}

void SetUpWav(const WavRunSettings& s, TAudioFile2& writer) {
  if (s.mode == kWavCdQuality) writer.SetWavFormat(kCdRate, kCdChannels, kCdBits);
  else if (s.mode == kWavCustom) writer.SetWavFormat(s.sampleRate, s.channels, s.bitsPerSample);
  // Any other mode leaves the writer's format as it was.
}

std::optional<FormatRefusal> SetUpOgg(const OggRunSettings& s, TAudioFile2& writer) {
  if (s.qualityMode) {
    writer.SetOggFormat(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate,
                        static_cast<int16_t>(s.quality));
    return std::nullopt;
  }
  if (!writer.IsOggFormatSupported(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate))
    return FormatRefusal{
        kOggRefusal, "The Vorbis encoder refuses " + std::to_string(s.sampleRate) + " Hz, " +
                         std::to_string(s.channels) + " channels at " + Kbps(s.bitRate) +
                         " (max " + Kbps(s.maxBitRate) + ", min " + Kbps(s.minBitRate) +
                         "): change \"frequency\", \"channel\", \"bitrate\", \"max bitrate\" "
                         "or \"min bitrate\", or set \"enable quality\" to 1, under [ogg]"};
  writer.SetOggFormat(s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate,
                      kOggBitRateMode);
  return std::nullopt;
}

}  // namespace

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
    default:
      return SetUpMp3(format.mp3, writer, encoder);
  }
}
