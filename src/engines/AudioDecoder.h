// Demuxes and decodes the audio of one source file with FFmpeg, frame by frame.
#pragma once

#include <cstdint>
#include <string>

#include "engines/EncoderBackend.h"
#include "engines/LibraryHandles.h"

class AudioDecoder {
 public:
  // Throws EngineError "Cannot open <path>: <reason>" when the file is not an audio file
  // FFmpeg can decode, or holds no audio.
  explicit AudioDecoder(const std::string& path);

  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  // From the headers (WAV header, Xing/VBRI frame, the last granule of every Ogg chain, ASF
  // header); the first frame's bit rate times the file size for an MP3 without an info
  // frame; 0 if unknown.
  int64_t LengthFrames() const { return lengthFrames_; }
  // The file is known to end before the size its header gives.
  bool EndsEarly() const { return endsEarly_; }
  // Known once the first frame is decoded (some decoders pick their format only then).
  SourcePrecision Precision() const;

  // The next decoded frame, owned by the decoder and valid until the next call; null at the end.
  // Damaged packets are skipped as FFmpeg's own tools do; a source that yields nothing but
  // damage throws EngineError "Cannot open <path>: the file has no audio that decodes".
  const AVFrame* NextFrame();

 private:
  void OpenContainer();
  void OpenCodec();
  void ReadHeaderFacts();
  bool FeedDecoder();
  void NoteDamage(int avError);
  [[noreturn]] void FailUnreadable(int avError) const;
  [[noreturn]] void Fail(const std::string& verb, const std::string& reason) const;
  [[noreturn]] void Fail(const std::string& verb, int avError) const;

  std::string path_;
  AvInput format_;
  AvCodec codec_;
  AvPacket packet_;
  AvFrame frame_;
  int streamIndex_ = -1;
  int sampleRate_ = 0;
  int channels_ = 0;
  int64_t lengthFrames_ = 0;
  bool endsEarly_ = false;
  bool wavEndsEarly_ = false;
  bool inputDrained_ = false;
  bool finished_ = false;
  int64_t framesDecoded_ = 0;
  int consecutiveErrors_ = 0;
  int lastError_ = 0;
};
