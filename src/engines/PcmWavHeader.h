// Our own reading of a plain PCM WAV header (RIFF or RF64; integer PCM of 8, 16, 24 or 32 bits
// or IEEE float of 32 or 64, plain or WAVE_FORMAT_EXTENSIBLE), so that listing or converting
// such a file needs no FFmpeg demuxer. It answers only for files whose every header field
// leaves no doubt about what FFmpeg would make of them; anything else (other codecs, a data
// size past the end of the file, chunks that do not add up, a second data chunk, the sync word
// of a compressed stream in the first data bytes) is "not plain", and the caller takes the
// general path, which knows every quirk and refuses what is broken.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

enum class PcmWavSamples { kU8, kS16, kS24, kS32, kF32, kF64 };

struct PcmWavLayout {
  PcmWavSamples samples = PcmWavSamples::kS16;
  int sampleRate = 0;
  int channels = 0;
  uint32_t channelMask = 0;  // WAVE_FORMAT_EXTENSIBLE's speaker mask; 0 for a plain header
  int blockAlign = 0;        // bytes of one sample frame
  int64_t dataOffset = 0;
  int64_t dataBytes = 0;     // within the file; a partial last frame does not play

  int64_t Frames() const { return dataBytes / blockAlign; }
  int BytesPerSample() const { return blockAlign / channels; }
};

// Reads at most `count` bytes at `offset`; returns how many it read (fewer at the end).
using WavByteReader = std::function<size_t(int64_t offset, uint8_t* out, size_t count)>;

// The layout of a plain PCM WAV of `fileSize` bytes, or nothing when it is not one.
std::optional<PcmWavLayout> ParsePcmWavHeader(const WavByteReader& read, int64_t fileSize);

// The same for an open file.
std::optional<PcmWavLayout> ReadPcmWavHeader(int fd, int64_t fileSize);
