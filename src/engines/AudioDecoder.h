// Demuxes and decodes the audio of one source file with FFmpeg, frame by frame.
#pragma once

#include <cstdint>
#include <string>

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;

class AudioDecoder {
 public:
  // Throws EngineError "Cannot open <path>: <reason>" when the file is not a readable
  // MP3, WAV, WMA or OGG Vorbis source.
  explicit AudioDecoder(const std::string& path);
  ~AudioDecoder();
  AudioDecoder(const AudioDecoder&) = delete;
  AudioDecoder& operator=(const AudioDecoder&) = delete;

  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  // From the container (header, Xing/VBRI frame, last Ogg granule, ASF header); 0 if unknown.
  int64_t LengthFrames() const { return lengthFrames_; }

  // The next decoded frame, owned by the decoder and valid until the next call; null at the end.
  // Damaged packets are skipped as FFmpeg's own tools do; a source that yields nothing but
  // damage throws EngineError "Cannot decode <path>: <reason>".
  const AVFrame* NextFrame();

 private:
  void OpenContainer();
  void OpenCodec();
  void ComputeLength();
  bool FeedDecoder();
  void NoteDamage(int avError);
  [[noreturn]] void Fail(const std::string& verb, const std::string& reason) const;
  [[noreturn]] void Fail(const std::string& verb, int avError) const;
  void Release();

  std::string path_;
  AVFormatContext* format_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  AVPacket* packet_ = nullptr;
  AVFrame* frame_ = nullptr;
  int streamIndex_ = -1;
  int sampleRate_ = 0;
  int channels_ = 0;
  int64_t lengthFrames_ = 0;
  bool inputDrained_ = false;
  bool finished_ = false;
  int64_t framesDecoded_ = 0;
  int consecutiveErrors_ = 0;
  int lastError_ = 0;
};
