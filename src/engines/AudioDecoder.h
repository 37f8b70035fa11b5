// Demuxes and decodes the audio of one source file with FFmpeg, frame by frame.
#pragma once

#include <cstdint>
#include <string>

#include "engines/AudioFrameSource.h"
#include "engines/EncoderBackend.h"
#include "engines/LibraryHandles.h"

// When the container states no length (a WavPack without its length field, some M4A with AC-3,
// tracker modules): kCount decodes the file once more at open to count its frames, so the list
// shows the true playing time and the run's progress moves.
enum class UnknownLength { kCount, kLeaveZero };

class AudioDecoder : public AudioFrameSource {
 public:
  // Throws EngineError "Cannot open <path>: <reason>" when the file is not an audio file
  // FFmpeg can decode, or holds no audio.
  explicit AudioDecoder(const std::string& path, UnknownLength unknownLength = UnknownLength::kCount);

  int SampleRate() const override { return sampleRate_; }
  int Channels() const override { return channels_; }
  // From the headers (WAV header, Xing/VBRI frame, the last granule of every Ogg chain, ASF
  // header); the first frame's bit rate times the file size for an MP3 without an info
  // frame; counted by decoding when the container gives none (see UnknownLength).
  int64_t LengthFrames() const override { return lengthFrames_; }
  // The file is known to end before the size its header gives, or reading it met an error
  // (then it becomes true on the way, and the audio before the error is the whole source).
  bool EndsEarly() const override { return endsEarly_; }
  // Known once the first frame is decoded (some decoders pick their format only then).
  SourcePrecision Precision() const override;
  // Not empty when the audio changes codec midway ("Vorbis to Opus" in a chained Ogg): the
  // source ends there, and LengthFrames counts up to there.
  const std::string& CodecChange() const override { return codecChange_; }

  // The next decoded frame, owned by the decoder and valid until the next call; null at the end.
  // Damaged packets are skipped as FFmpeg's own tools do; a source that yields nothing but
  // damage throws EngineError "Cannot open <path>: the file has no audio that decodes".
  const AVFrame* NextFrame() override;

 private:
  void OpenContainer();
  int OpenWith(const struct AVInputFormat* demuxer);
  int64_t CountFrames() const;
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
  std::string codecChange_;
  int64_t stopAt_ = -1;  // byte offset where the codec changes
  bool inputDrained_ = false;
  bool finished_ = false;
  int64_t framesDecoded_ = 0;
  int consecutiveErrors_ = 0;
  int lastError_ = 0;
};
