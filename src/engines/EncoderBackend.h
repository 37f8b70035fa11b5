// What TAudioFile2 needs of one output encoding. TAudioFile2 decodes, converts the source's
// PCM to the backend's InputFormat() and hands it over; the backend owns the output file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engines/AudioFile2LameEnc.h"

// The OGG quality that selects bit-rate mode instead of a quality level.
constexpr int16_t kOggBitRateMode = -1;

// How samples travel between reader, transform, writer and encoders: interleaved, native
// endian, either 16-bit signed or 32-bit float (full scale ±1.0). Float carries what 16 bits
// would lose: sources of 24 bits or more and float sources, on their way to a WAV of the same
// depth.
enum class SampleType { kS16, kFloat };

// How exactly a source stores its samples: within 16 bits (lossy codecs count here, their float
// output is their own working form), as wider integers (24 or 32 bits), or as float.
enum class SourcePrecision { k16BitsOrLess, kWideInteger, kFloat };

constexpr int BytesPerSample(SampleType type) { return type == SampleType::kS16 ? 2 : 4; }

// Most channels a block may carry (7.1); sources with more are mixed down to stereo.
constexpr int kMaxChannels = 8;

struct PcmFormat {
  int sampleRate = 44100;
  int channels = 2;  // 1 to kMaxChannels
  SampleType sampleType = SampleType::kS16;
};

class EncoderBackend {
 public:
  virtual ~EncoderBackend() = default;
  // The PCM layout Write() expects.
  virtual PcmFormat InputFormat() const = 0;
  // Encoders whose only rate differs from most sources' (Opus: 48 kHz) ask for the slower,
  // cleaner resampler.
  virtual bool WantsBestResampling() const { return false; }
  // Creates the output file. Throws EngineError naming the path on failure.
  virtual void Open(const std::string& path) = 0;
  // Encodes `frames` sample frames, laid out as InputFormat() says, and appends them. Throws
  // EngineError on failure.
  virtual void Write(const void* samples, size_t frames) = 0;
  // Flushes the encoder, completes the file (headers, trailers, info frames) and closes it.
  // Safe to call twice; after an error it still closes what is open.
  virtual void Finish() = 0;
};

// Settings of each encoding, as TAudioFile2 collects them from its Set… calls.
struct Mp3Settings {
  int sampleRate = 44100;
  int channels = 2;
  int bitRate = 128;    // kbit/s
  int quality = 5;      // 0..9
  int vbrMethod = TAudioFile2LameEnc::kVbrOff;
  int vbrBitRate = 128; // kbit/s, see MakeMp3Encoder for which bound this is
  int vbrQuality = 4;   // 0..9
};

struct OggSettings {
  int sampleRate = 44100;
  int channels = 2;
  int bitRate = 128;     // nominal, kbit/s
  int maxBitRate = 128;  // kbit/s
  int minBitRate = 128;  // kbit/s
  int quality = kOggBitRateMode;  // or 0 (best) .. 1000 (fastest, smallest)
};

// 32 bits per sample is IEEE float, the only 32-bit WAV written.
constexpr int kWavFloatBits = 32;

struct WavSettings {
  int sampleRate = 44100;
  int channels = 2;         // 1 to kMaxChannels
  int bitsPerSample = 16;   // 8, 16, 24 or kWavFloatBits
};

// FLAC, Opus and M4A: a rate, channel count or bit depth of 0 stands for the source's own;
// TAudioFile2 fills these in before it makes the encoder.
struct FlacSettings {
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;  // 8, 16 or 24
  int compression = 5;    // libFLAC's levels 0 (fastest) .. 8 (smallest)
};

enum class OpusRateControl { kVbr = 0, kConstrainedVbr = 1, kCbr = 2 };
struct OpusSettings {
  int channels = 0;  // Opus always decodes at 48 kHz; other rates are resampled
  int bitRate = 128;  // kbit/s, 6..510
  OpusRateControl rateControl = OpusRateControl::kVbr;
  int complexity = 10;  // 0 (fastest) .. 10 (best)
};

struct M4aSettings {
  int sampleRate = 0;
  int channels = 0;
  int bitRate = 192;   // kbit/s, 32..320; used when vbrQuality is 0
  int vbrQuality = 0;  // 1..20: FFmpeg's AAC VBR quality in tenths (0.1 .. 2.0); 0 = bit rate
};

// Ranges the three encoders take; the settings, the command line and the checks share them.
constexpr int kFlacMaxCompression = 8;
constexpr int kOpusMinKbps = 6, kOpusMaxKbps = 510, kOpusMaxComplexity = 10;
constexpr int kM4aMinKbps = 32, kM4aMaxKbps = 320, kM4aMaxVbrQuality = 20;

std::unique_ptr<EncoderBackend> MakeWavEncoder(const WavSettings& settings);
std::unique_ptr<EncoderBackend> MakeMp3Encoder(const Mp3Settings& settings);
std::unique_ptr<EncoderBackend> MakeOggEncoder(const OggSettings& settings);
// profile: 1..47, entry profile-1 of the WMA profile table (WmaProfiles.h).
std::unique_ptr<EncoderBackend> MakeWmaEncoder(int profile);

// Format queries: true exactly when the encoder can produce that combination.
bool Mp3FormatSupported(int sampleRate, int bitRateKbps, int channels);
bool OggFormatSupported(int sampleRate, int channels, int bitRateKbps, int maxBitRateKbps,
                        int minBitRateKbps);
// The nominal bit rate libvorbis states for that quality (0 best .. 1000 smallest) in kbit/s;
// 0 when it states none (below 8000 Hz it has no bit-rate tables) and -1 when it refuses.
int OggQualityNominalKbps(int sampleRate, int channels, int quality);
// Values of 0 (the source's own) are accepted as such.
bool FlacFormatSupported(const FlacSettings& settings);
bool OpusFormatSupported(const OpusSettings& settings);
bool M4aFormatSupported(const M4aSettings& settings);
// The rate an M4A output of a source at `sampleRate` gets: its own when AAC has it, else the
// nearest AAC rate.
int NearestAacSampleRate(int sampleRate);
// The most kbit/s an AAC frame holds at this rate and channel count.
int AacMaxKbps(int sampleRate, int channels);

std::unique_ptr<EncoderBackend> MakeFlacEncoder(const FlacSettings& settings);
std::unique_ptr<EncoderBackend> MakeOpusEncoder(const OpusSettings& settings);
std::unique_ptr<EncoderBackend> MakeM4aEncoder(const M4aSettings& settings);
