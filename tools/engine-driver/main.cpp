// Converts one file with the audio engine's block loop, the same calls in the same order as
// the conversion run makes them, so the engine can be measured and tried on its own.
#include <cstdio>
#include <exception>

#include "DriverOptions.h"
#include "engines/AudioFile2.h"
#include "engines/AudioTransform2.h"

namespace {

void ConfigureWriter(TAudioFile2& writer, const DriverOptions& o, int rate, int channels) {
  TAudioFile2LameEnc mp3;
  mp3.SetSampleRate(rate);
  mp3.SetBitRate(o.mp3BitRate);
  mp3.SetChannels(channels);
  mp3.SetQuality(o.mp3Quality);
  mp3.SetVbrMethod(o.mp3Vbr ? TAudioFile2LameEnc::kVbrOn : TAudioFile2LameEnc::kVbrOff);
  mp3.SetVbrBitRate(o.mp3VbrBitRate);
  mp3.SetVbrQuality(o.mp3VbrQuality);
  writer.SetMp3Encoder(mp3);
  writer.SetOggFormat(rate, channels, o.oggBitRate, o.oggMaxBitRate, o.oggMinBitRate,
                      static_cast<int16_t>(o.oggQuality));
  writer.SetWmaProfile(o.wmaProfile);
  writer.SetFlacFormat({o.sampleRate, o.channels, o.flacBits, o.flacLevel});
  writer.SetOpusFormat({o.channels, o.opusBitRate, OpusRateControl::kVbr, o.opusComplexity});
  writer.SetM4aFormat({o.sampleRate, o.channels, o.m4aBitRate, 0});
  // Without any WAV choice the writer keeps to the source's own format.
  if (o.wavBits || o.sampleRate || o.channels)
    writer.SetWavFormat(rate, channels, o.wavBits ? o.wavBits : 16);
}

int64_t Convert(const DriverOptions& o) {
  TAudioFile2 reader;
  TAudioFile2 writer;
  TAudioTransform2 transform;
  reader.SetOption(EngineOption::kDefaults);
  writer.SetOption(EngineOption::kDefaults);

  reader.OpenForRead(o.source, ReadMode::kWholeSource, ReadFlags::kPcm16);
  if (reader.EndsEarly())
    std::fprintf(stderr, "%s ends early; converting what is there\n", o.source.c_str());
  const int rate = o.sampleRate ? o.sampleRate : reader.SampleRate();
  const int channels = o.channels ? o.channels : reader.Channels();
  ConfigureWriter(writer, o, rate, channels);
  writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
  writer.OpenForWrite(o.output, WriteMode::kReplace);  // the user named the output: replace it

  const int blockBytes = reader.SampleRate() * reader.Channels();
  int64_t frames = 0;
  for (;;) {
    ByteBlock block = reader.ReadBlock(blockBytes);
    if (block.empty()) break;
    if (o.normalize) transform.NormalizeBlock(block, 98.0f, TAudioTransform2::kAllChannels);
    writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
    writer.WriteBlock(block);
    frames += static_cast<int64_t>(block.size()) / reader.FrameSize();
  }
  reader.Close();
  writer.Close();
  return frames;
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto options = ParseDriverOptions(argc, argv, error);
  if (!options) {
    std::fprintf(stderr, "%s\n%s", error.c_str(), kDriverUsage);
    return 2;
  }
  try {
    const int64_t frames = Convert(*options);
    if (!options->quiet)
      std::printf("%s -> %s: %lld sample frames\n", options->source.c_str(),
                  options->output.c_str(), static_cast<long long>(frames));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
