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
#include "base/AudioFormat.h"

using ByteBlock = std::vector<uint8_t>;

// SetOption: every engine default (blocks shaped as OpenForRead's flags ask, FFmpeg's own
// logging silenced). The only option there is.
enum class EngineOption { kDefaults = -1 };
// OpenForRead: decode the whole source from its start, handing out 16-bit PCM with at most two
// channels (kPcm16), or in the source's own shape (kSourceShape): all its channels (up to
// kMaxChannels; more are mixed down to stereo) and, when it holds more than 16 bits per sample
// (24/32-bit integers, float), 32-bit float samples.
enum class ReadMode { kWholeSource = 0 };
enum class ReadFlags { kPcm16 = 1, kSourceShape = 2 };
// OpenForWrite: kCreateNew makes a new file and fails when one of that name exists (the runs,
// which must never write over a file); kReplace writes over an existing one (tools).
enum class WriteMode { kCreateNew = 0, kReplace = 1 };

class TAudioFile2 {
 public:
  TAudioFile2();
  ~TAudioFile2();
  TAudioFile2(const TAudioFile2&) = delete;
  TAudioFile2& operator=(const TAudioFile2&) = delete;

  // Accepted once per object; a second call throws.
  void SetOption(EngineOption option);

  bool IsOpen() const;
  // Reader: releases the source. Writer: finishes the output file.
  void Close();

  // --- reading ---
  // Opens any audio file FFmpeg decodes: the four list formats with whatever codec they carry
  // (Opus, Speex or FLAC in Ogg, WMA Pro, ADPCM in WAV, ...) and other containers (FLAC, Opus,
  // M4A, AIFF, APE, WavPack, TAK, DSF, DFF, Shorten, tracker modules: any container FFmpeg
  // demuxes with an audio stream it decodes); the audio stream of a file with video. Closes
  // whatever the object had open first. Everything reading will need (decoder, format
  // conversion, at least one sample) is checked here, so a source that opens reads to its
  // end; a source without a single sample throws "Cannot open <path>: the file has no audio".
  void OpenForRead(const std::string& path, ReadMode mode = ReadMode::kWholeSource,
                   ReadFlags flags = ReadFlags::kPcm16);
  int64_t DurationMs() const;
  int SampleRate() const;
  int Channels() const;
  int FrameSize() const;   // bytes per decoded sample frame: sample bytes × Channels()
  SampleType BlockSampleType() const;
  SourcePrecision Precision() const;
  // Sample frames, from the headers without a decode. Exact for WAV, for MP3 with an info
  // frame, for WMA and for Ogg (the last granule of every chain). An estimate for an MP3
  // without an info frame (first frame's bit rate times the file size; VBR files may play
  // longer or shorter) and for containers that store no length. ReadBlock does not stop at
  // Length: it hands out audio until the source really ends.
  int64_t Length() const;
  // True when the source is known to end before the size its header gives (a cut-off
  // download): WAV data chunks, Ogg streams without their last page, MP3 info frames and ASF
  // headers are checked. What is there still reads. It also turns true while reading when a
  // read error ends the source early (a cut WavPack): the audio before the error is handed
  // out and ReadBlock then ends as at a normal end.
  bool EndsEarly() const;
  // Not empty when the source's audio changes codec midway and reading stops there: "Vorbis to
  // Opus" for an Ogg chain of Vorbis followed by one of Opus. Length counts up to the change.
  std::string CodecChange() const;
  // At most byteCount bytes of interleaved PCM (16-bit signed or float, native endian, as
  // BlockSampleType says), whole frames only; an empty block at the end of the source.
  ByteBlock ReadBlock(int byteCount);

  // --- writing ---
  // Settings persist across outputs until set again; they are checked when the output opens.
  void SetWavFormat(int sampleRate, int channels, int bitsPerSample);
  void SetMp3Encoder(const TAudioFile2LameEnc& encoder);
  // Maximum before minimum, as the conversion run passes them; quality kOggBitRateMode is
  // bit-rate mode.
  void SetOggFormat(int sampleRate, int channels, int bitRate, int maxBitRate, int minBitRate,
                    int16_t quality);
  void SetWmaProfile(int number);
  // Values of 0 stand for the source's own rate, channels or bit depth.
  void SetFlacFormat(const FlacSettings& settings);
  void SetOpusFormat(const OpusSettings& settings);
  void SetM4aFormat(const M4aSettings& settings);
  bool IsMp3FormatSupported(int sampleRate, int bitRate, int channels) const;
  bool IsOggFormatSupported(int sampleRate, int channels, int bitRate, int maxBitRate,
                            int minBitRate) const;
  // For quality mode (0 best .. 1000 smallest): the nominal kbit/s libvorbis states, 0 when it
  // states none, -1 when it refuses the combination.
  int OggQualityBitRate(int sampleRate, int channels, int quality) const;
  bool IsFlacFormatSupported(const FlacSettings& settings) const;
  bool IsOpusFormatSupported(const OpusSettings& settings) const;
  bool IsM4aFormatSupported(const M4aSettings& settings) const;
  void SetSourceFormat(int sampleRate, int channels, SampleType sampleType = SampleType::kS16);
  // The extension (".mp3", ".wav", ".ogg", ".wma", ".flac", ".opus", ".m4a", in any letter
  // case) picks the encoding.
  // ".wav" without any SetWavFormat: the source's own rate and channels at 16 bits.
  void OpenForWrite(const std::string& path, WriteMode mode = WriteMode::kCreateNew);
  // The same with the encoding named by the caller, whatever the path's extension says.
  void OpenForWrite(const std::string& path, AudioFormat format,
                    WriteMode mode = WriteMode::kCreateNew);
  void WriteBlock(const ByteBlock& block);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};
