// Where AudioReader's frames come from: FFmpeg's demuxer and decoder, or our own reading of a
// plain PCM WAV. Frames are FFmpeg's, in the shape FFmpeg's decoder would give them.
#pragma once

#include <cstdint>
#include <string>

#include "engines/EncoderBackend.h"

struct AVFrame;

class AudioFrameSource {
 public:
  virtual ~AudioFrameSource() = default;

  virtual int SampleRate() const = 0;
  virtual int Channels() const = 0;
  // Sample frames the headers promise.
  virtual int64_t LengthFrames() const = 0;
  // The source is known to end before the size its header gives, or reading it met an error.
  virtual bool EndsEarly() const = 0;
  virtual SourcePrecision Precision() const = 0;
  // Not empty when the audio changes codec midway and the source ends there.
  virtual const std::string& CodecChange() const = 0;
  // The next frame, owned by the source and valid until the next call; null at the end.
  virtual const AVFrame* NextFrame() = 0;
};
