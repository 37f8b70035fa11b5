#include "engines/AudioReader.h"

#include <algorithm>

#include "engines/AudioDecoder.h"
#include "engines/EngineError.h"
#include "engines/PcmWavSource.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {

int BlockChannels(ReaderShape shape, int sourceChannels) {
  if (shape == ReaderShape::kSourceShape && sourceChannels <= kMaxChannels) return sourceChannels;
  return std::min(sourceChannels, 2);
}

// A plain PCM WAV is read straight from the file; everything else through FFmpeg.
std::unique_ptr<AudioFrameSource> OpenSource(const std::string& path) {
  if (std::unique_ptr<AudioFrameSource> wav = PcmWavSource::Open(path)) return wav;
  return std::make_unique<AudioDecoder>(path);
}

}  // namespace

AudioReader::AudioReader(const std::string& path, ReaderShape shape)
    : path_(path),
      source_(OpenSource(path)),
      shape_(shape),
      channels_(BlockChannels(shape, source_->Channels())) {
  CheckFirstAudio();
}

void AudioReader::CheckFirstAudio() {
  opening_ = true;
  Refill(1);
  opening_ = false;
  if (BufferedFrames() == 0) throw EngineError("Cannot open " + path_ + ": the file has no audio");
}

int64_t AudioReader::DurationMs() const {
  return LengthFrames() * 1000 / SampleRate();
}

std::vector<uint8_t> AudioReader::Read(size_t maxFrames) {
  Refill(maxFrames);
  const size_t bytes = std::min(maxFrames, BufferedFrames()) * FrameSize();
  // The buffer itself becomes the block; only what is left over past it is copied back.
  std::vector<uint8_t> block = std::move(pending_);
  pending_.clear();
  pending_.reserve(block.capacity());
  pending_.assign(block.begin() + static_cast<std::ptrdiff_t>(bytes), block.end());
  block.resize(bytes);
  return block;
}

void AudioReader::Refill(size_t frames) {
  while (!exhausted_ && BufferedFrames() < frames) {
    const AVFrame* frame = source_->NextFrame();
    if (!frame) {
      Append(converter_.Flush());
      exhausted_ = true;
      break;
    }
    ConvertFrame(*frame);
  }
}

void AudioReader::ConvertFrame(const AVFrame& frame) {
  PcmInputFormat input;
  input.sampleRate = frame.sample_rate > 0 ? frame.sample_rate : SampleRate();
  input.layout = frame.ch_layout;  // borrowed: Configure copies it
  input.sampleFormat = static_cast<AVSampleFormat>(frame.format);
  try {
    if (!converter_.Matches(input)) {
      // The stream changed format midway (chained Ogg, odd MP3): keep handing out the
      // format announced at open.
      if (converter_.IsConfigured()) Append(converter_.Flush());
      else SettleSampleType();
      converter_.Configure(input, SampleRate(), channels_, sampleType_);
    }
    Append(converter_.Convert(frame.extended_data, frame.nb_samples));
  } catch (const EngineError& e) {
    throw EngineError(std::string(opening_ ? "Cannot open " : "Cannot decode ") + path_ +
                      ": cannot convert its " + std::to_string(input.layout.nb_channels) +
                      " channels at " + std::to_string(input.sampleRate) + " Hz to " +
                      BlockShapeText() + " (" + e.what() + ")");
  }
}

void AudioReader::SettleSampleType() {
  const bool wide = source_->Precision() != SourcePrecision::k16BitsOrLess;
  sampleType_ = shape_ == ReaderShape::kSourceShape && wide ? SampleType::kFloat : SampleType::kS16;
}

std::string AudioReader::BlockShapeText() const {
  const std::string depth = sampleType_ == SampleType::kFloat ? "float " : "16-bit ";
  if (channels_ <= 2) return depth + (channels_ == 1 ? "mono" : "stereo");
  return depth + std::to_string(channels_) + " channels";
}

void AudioReader::Append(const PcmSpan& span) {
  pending_.insert(pending_.end(), span.bytes, span.bytes + span.frames * FrameSize());
}
