// The reading side of TAudioFile2: decodes a source and hands it out as blocks of interleaved
// PCM at the source's own rate: 16-bit with at most two channels, or in the source's own shape.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engines/AudioFrameSource.h"
#include "engines/PcmConverter.h"

enum class ReaderShape {
  kAtMostStereo16,
  // The source's channel count (up to kMaxChannels, more are mixed down to stereo), and float
  // samples for a source that holds more than 16 bits.
  kSourceShape,
};

class AudioReader {
 public:
  // Decodes and converts the first audio at once, so that a source that opens also reads:
  // one FFmpeg cannot convert, or one without a single sample, throws EngineError here.
  explicit AudioReader(const std::string& path, ReaderShape shape = ReaderShape::kAtMostStereo16);

  int SampleRate() const { return source_->SampleRate(); }
  int Channels() const { return channels_; }
  SampleType BlockSampleType() const { return sampleType_; }
  SourcePrecision Precision() const { return source_->Precision(); }
  int FrameSize() const { return BytesPerSample(sampleType_) * channels_; }
  int64_t LengthFrames() const { return source_->LengthFrames(); }
  bool EndsEarly() const { return source_->EndsEarly(); }
  const std::string& CodecChange() const { return source_->CodecChange(); }
  int64_t DurationMs() const;

  // Up to maxFrames whole frames as bytes; empty once the source is exhausted.
  std::vector<uint8_t> Read(size_t maxFrames);

 private:
  void CheckFirstAudio();
  void Refill(size_t frames);
  void ConvertFrame(const struct AVFrame& frame);
  void SettleSampleType();
  std::string BlockShapeText() const;
  void Append(const PcmSpan& span);
  size_t BufferedFrames() const { return pending_.size() / FrameSize(); }

  std::string path_;
  std::unique_ptr<AudioFrameSource> source_;
  PcmConverter converter_;
  ReaderShape shape_;
  int channels_;
  SampleType sampleType_ = SampleType::kS16;  // settled with the first frame
  bool exhausted_ = false;
  bool opening_ = false;  // errors name the open, not a later read
  // Converted bytes not yet handed out. Holds about one block.
  std::vector<uint8_t> pending_;
};
