#include "engines/PcmConverter.h"

#include "engines/AvErrorText.h"
#include "engines/ChannelLayouts.h"
#include "engines/EngineError.h"

extern "C" {
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

AVSampleFormat AvSampleFormat(SampleType type) {
  return type == SampleType::kFloat ? AV_SAMPLE_FMT_FLT : AV_SAMPLE_FMT_S16;
}

namespace {

// libswresample's defaults are a 32-tap filter with 1024 phases in the sample format's own
// precision; this doubles the taps, takes 16384 phases and filters in float.
int SetBestResampling(SwrContext* swr) {
  int rc = av_opt_set_int(swr, "filter_size", 64, 0);
  if (rc >= 0) rc = av_opt_set_int(swr, "phase_shift", 14, 0);
  if (rc >= 0) rc = av_opt_set_int(swr, "linear_interp", 1, 0);
  if (rc >= 0) rc = av_opt_set_sample_fmt(swr, "internal_sample_fmt", AV_SAMPLE_FMT_FLTP, 0);
  return rc;
}

}  // namespace

PcmConverter::~PcmConverter() { Release(); }

void PcmConverter::Release() {
  swr_.reset();
  ReleaseLayout(input_.layout);
  configured_ = false;
}

bool PcmConverter::Matches(const PcmInputFormat& input) const {
  return configured_ && input.sampleRate == input_.sampleRate &&
         input.sampleFormat == input_.sampleFormat &&
         SameLayout(input.layout, input_.layout);
}

void PcmConverter::Configure(const PcmInputFormat& input, int outRate, int outChannels,
                             SampleType outType, ResampleQuality quality) {
  Release();
  if (input.sampleRate <= 0 || input.layout.nb_channels <= 0 || outRate <= 0 ||
      outChannels < 1 || outChannels > kMaxChannels)
    throw EngineError("unusable PCM format (" + std::to_string(input.sampleRate) + " Hz, " +
                      std::to_string(input.layout.nb_channels) + " channels)");
  input_.sampleRate = input.sampleRate;
  input_.sampleFormat = input.sampleFormat;
  int rc = CopyLayout(input_.layout, input.layout);
  if (rc < 0) throw EngineError("channel layout: " + AvErrorText(rc));
  const AVSampleFormat outFormat = AvSampleFormat(outType);
  outRate_ = outRate;
  outChannels_ = outChannels;
  outFrameBytes_ = static_cast<size_t>(outChannels) * BytesPerSample(outType);
  configured_ = true;
  passThrough_ = input.sampleFormat == outFormat && input.sampleRate == outRate &&
                 input.layout.nb_channels == outChannels;
  if (passThrough_) return;

  // An unspecified order (e.g. "3 channels") is read as FFmpeg's default for that count.
  AVChannelLayout inLayout = input.layout.order == AV_CHANNEL_ORDER_UNSPEC
                                 ? DefaultLayout(input.layout.nb_channels)
                                 : input.layout;
  AVChannelLayout outLayout =
      inLayout.nb_channels == outChannels ? inLayout : DefaultLayout(outChannels);
  SwrContext* swr = nullptr;
  rc = swr_alloc_set_opts2(&swr, &outLayout, outFormat, outRate, &inLayout,
                           input.sampleFormat, input.sampleRate, 0, nullptr);
  swr_.reset(swr);
  if (rc >= 0 && inLayout.nb_channels == 1 && outChannels == 2) {
    // Mono goes to both sides at full level; libswresample's default is 3 dB lower.
    const double toBoth[2] = {1.0, 1.0};
    rc = swr_set_matrix(swr_.get(), toBoth, 1);
  }
  if (rc >= 0 && quality == ResampleQuality::kBest) rc = SetBestResampling(swr_.get());
  if (rc >= 0) rc = swr_init(swr_.get());
  if (rc < 0) {
    Release();
    throw EngineError("cannot set up the resampler: " + AvErrorText(rc));
  }
}

PcmSpan PcmConverter::Convert(const uint8_t* const* planes, int frames) {
  if (!configured_ || frames <= 0) return {};
  if (passThrough_)
    return {planes[0], static_cast<size_t>(frames)};
  return Run(planes, frames);
}

PcmSpan PcmConverter::Flush() {
  if (!configured_ || passThrough_) return {};
  return Run(nullptr, 0);
}

PcmSpan PcmConverter::Run(const uint8_t* const* planes, int frames) {
  int capacity = swr_get_out_samples(swr_.get(), frames);
  if (capacity < 0) throw EngineError("resampler: " + AvErrorText(capacity));
  if (capacity == 0) return {};
  size_t needed = static_cast<size_t>(capacity) * outFrameBytes_;
  if (out_.size() < needed) out_.resize(needed);
  uint8_t* outPlanes[1] = {out_.data()};
  int got = swr_convert(swr_.get(), outPlanes, capacity, const_cast<const uint8_t**>(planes), frames);
  if (got < 0) throw EngineError("resampler: " + AvErrorText(got));
  return {out_.data(), static_cast<size_t>(got)};
}
