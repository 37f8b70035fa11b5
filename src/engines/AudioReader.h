// The reading side of TAudioFile2: decodes a source and hands it out as blocks of 16-bit
// interleaved PCM at the source's own rate, with at most two channels.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engines/AudioDecoder.h"
#include "engines/PcmConverter.h"

class AudioReader {
 public:
  // Decodes and converts the first audio at once, so that a source that opens also reads:
  // one FFmpeg cannot convert, or one without a single sample, throws EngineError here.
  explicit AudioReader(const std::string& path);

  int SampleRate() const { return decoder_.SampleRate(); }
  int Channels() const { return channels_; }
  int FrameSize() const { return 2 * channels_; }
  int64_t LengthFrames() const { return decoder_.LengthFrames(); }
  bool EndsEarly() const { return decoder_.EndsEarly(); }
  const std::string& CodecChange() const { return decoder_.CodecChange(); }
  int64_t DurationMs() const;

  // Up to maxFrames whole frames as bytes; empty once the source is exhausted.
  std::vector<uint8_t> Read(size_t maxFrames);

 private:
  void CheckFirstAudio();
  void Refill(size_t frames);
  void ConvertFrame(const struct AVFrame& frame);
  void Append(const PcmSpan& span);
  size_t BufferedFrames() const { return (pending_.size() - head_) / channels_; }

  std::string path_;
  AudioDecoder decoder_;
  PcmConverter converter_;
  int channels_;
  bool exhausted_ = false;
  bool opening_ = false;  // errors name the open, not a later read
  // Converted samples not yet handed out, from head_ on. Holds about one block.
  std::vector<int16_t> pending_;
  size_t head_ = 0;
};
