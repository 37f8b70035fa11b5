// The audio file object: one instance reads (decodes) a source, another writes (encodes) an
// output. Every failing call throws EngineError.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engines/AudioFile2LameEnc.h"
#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"

using ByteBlock = std::vector<uint8_t>;

class AudioDecoder;  // FFmpeg-backed source reader (AudioDecoder.h)
class PcmConverter;  // libswresample-backed rate/channel conversion (PcmConverter.h)

class TAudioFile2 {
 public:
  TAudioFile2();
  ~TAudioFile2();
  TAudioFile2(const TAudioFile2&) = delete;
  TAudioFile2& operator=(const TAudioFile2&) = delete;

  void SetOption(int option);

  bool IsOpen() const;
  // Reader: releases the source. Writer: finishes the output file.
  void Close();

  // --- reading ---
  void OpenForRead(const std::string& path, int mode = 0, int flags = 1);
  int64_t DurationMs() const;
  int SampleRate() const;
  int Channels() const;
  int FrameSize() const;   // bytes per decoded sample frame: 2 × Channels()
  int64_t Length() const;  // sample frames
  // At most byteCount bytes of 16-bit signed little-endian interleaved PCM, whole frames
  // only; an empty block at the end of the source.
  ByteBlock ReadBlock(int byteCount);

  // --- writing ---
  void SetWavFormat(int sampleRate, int channels, int bitsPerSample);
  void SetMp3Encoder(const TAudioFile2LameEnc& encoder);
  void SetOggFormat(int sampleRate, int channels, int bitRate, int maxBitRate, int minBitRate,
                    int16_t quality);
  void SetWmaProfile(int number);
  bool IsMp3FormatSupported(int sampleRate, int bitRate, int channels) const;
  bool IsOggFormatSupported(int sampleRate, int channels, int bitRate, int maxBitRate,
                            int minBitRate) const;
  void SetSourceFormat(int sampleRate, int channels);
  void OpenForWrite(const std::string& path, int mode = 0);
  void WriteBlock(const ByteBlock& block);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
