// A plain PCM WAV read straight from the file, without FFmpeg's demuxer and decoder: the same
// frames they would hand out (24-bit samples widened to 32, the others as stored), for a
// fraction of the cost of opening the file through them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/FileDescriptor.h"
#include "engines/AudioFrameSource.h"
#include "engines/LibraryHandles.h"
#include "engines/PcmWavHeader.h"

class PcmWavSource : public AudioFrameSource {
 public:
  // Null when the file is not a plain PCM WAV, or cannot be read: the general path then opens
  // it, and names any problem.
  static std::unique_ptr<PcmWavSource> Open(const std::string& path);

  int SampleRate() const override { return layout_.sampleRate; }
  int Channels() const override { return layout_.channels; }
  int64_t LengthFrames() const override { return layout_.Frames(); }
  bool EndsEarly() const override { return endsEarly_; }
  SourcePrecision Precision() const override;
  const std::string& CodecChange() const override { return noCodecChange_; }
  const AVFrame* NextFrame() override;

  PcmWavSource(FileDescriptor file, const PcmWavLayout& layout);
  PcmWavSource(const PcmWavSource&) = delete;
  PcmWavSource& operator=(const PcmWavSource&) = delete;

 private:
  size_t ReadFrames();
  const uint8_t* Samples(size_t frames);

  FileDescriptor file_;
  PcmWavLayout layout_;
  AVFrame frame_{};  // points into raw_ or widened_
  int64_t framesRead_ = 0;
  bool endsEarly_ = false;
  const std::string noCodecChange_;
  std::vector<uint8_t> raw_;
  std::vector<int32_t> widened_;  // 24-bit samples as FFmpeg's decoder gives them
};
