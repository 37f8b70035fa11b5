// Turns PCM of any rate, channel layout and sample format into interleaved 16-bit signed or
// 32-bit float PCM of a chosen rate and channel count (1 to kMaxChannels), through
// libswresample. A kept channel count keeps the input's layout (nothing is remixed); a changed
// one goes to FFmpeg's default layout for the count. When nothing needs changing the input is
// handed straight through without a copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engines/EncoderBackend.h"
#include "engines/LibraryHandles.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/samplefmt.h>
}

// Interleaved frames in the converter's output format; valid until the converter's next call.
struct PcmSpan {
  const uint8_t* bytes = nullptr;
  size_t frames = 0;
};

struct PcmInputFormat {
  int sampleRate = 44100;
  AVChannelLayout layout = AV_CHANNEL_LAYOUT_STEREO;
  AVSampleFormat sampleFormat = AV_SAMPLE_FMT_S16;
};

// kBest: a longer filter with finer phase steps, computed in float; for encoders such as Opus
// whose fixed rate means nearly every source is resampled.
enum class ResampleQuality { kStandard, kBest };

class PcmConverter {
 public:
  PcmConverter() = default;
  ~PcmConverter();
  PcmConverter(const PcmConverter&) = delete;
  PcmConverter& operator=(const PcmConverter&) = delete;

  // Throws EngineError (without a file name; callers add theirs) when libswresample refuses.
  void Configure(const PcmInputFormat& input, int outRate, int outChannels,
                 SampleType outType = SampleType::kS16,
                 ResampleQuality quality = ResampleQuality::kStandard);
  bool IsConfigured() const { return configured_; }
  bool Matches(const PcmInputFormat& input) const;
  int OutChannels() const { return outChannels_; }

  // `planes` as FFmpeg lays them out: one per channel for planar formats, else one.
  PcmSpan Convert(const uint8_t* const* planes, int frames);
  // Drains what the resampler still holds (its filter delay); call once at the end.
  PcmSpan Flush();

 private:
  void Release();
  PcmSpan Run(const uint8_t* const* planes, int frames);

  SwrHandle swr_;
  bool configured_ = false;
  bool passThrough_ = false;
  PcmInputFormat input_;
  int outRate_ = 0;
  int outChannels_ = 0;
  size_t outFrameBytes_ = 0;
  std::vector<uint8_t> out_;
};

AVSampleFormat AvSampleFormat(SampleType type);
