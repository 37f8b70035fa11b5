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


class TAudioFile2 {
 public:
  TAudioFile2();
  ~TAudioFile2();
  TAudioFile2(const TAudioFile2&) = delete;
  TAudioFile2& operator=(const TAudioFile2&) = delete;

  // -1 selects the engine defaults: 16-bit blocks, sources downmixed to at most two channels,
  // FFmpeg's own logging silenced. Accepted once per object; any other value or a second call
  // throws.
  void SetOption(int option);

  bool IsOpen() const;
  // Reader: releases the source. Writer: finishes the output file.
  void Close();

  // --- reading ---
  // mode 0: decode the whole source from its start; flags 1: hand out 16-bit PCM. Other
  // values throw. Closes whatever the object had open first.
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
  // Settings persist across outputs until set again; they are checked when the output opens.
  void SetWavFormat(int sampleRate, int channels, int bitsPerSample);
  void SetMp3Encoder(const TAudioFile2LameEnc& encoder);
  // Maximum before minimum, as the conversion run passes them; quality -1 is bit-rate mode.
  void SetOggFormat(int sampleRate, int channels, int bitRate, int maxBitRate, int minBitRate,
                    int16_t quality);
  void SetWmaProfile(int number);
  bool IsMp3FormatSupported(int sampleRate, int bitRate, int channels) const;
  bool IsOggFormatSupported(int sampleRate, int channels, int bitRate, int maxBitRate,
                            int minBitRate) const;
  void SetSourceFormat(int sampleRate, int channels);
  // mode 0: create the file, replacing one of that name. The extension (".mp3", ".wav",
  // ".ogg", ".wma", whatever the letter case) picks the encoding. ".wav" without any
  // SetWavFormat: the source's own rate and channels at 16 bits.
  // mode 0 creates a new file and fails when one of that name exists; mode 1 replaces it.
  void OpenForWrite(const std::string& path, int mode = 0);
  void WriteBlock(const ByteBlock& block);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
