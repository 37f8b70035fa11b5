// AAC-LC in an MP4 (.m4a) container through FFmpeg: the native "aac" encoder and the "ipod"
// muxer. FFmpeg's encoder reports its priming (initial_padding) and a short last packet, from
// which the muxer writes an edit list, so players decode exactly the samples handed over; the
// same numbers go into an iTunSMPB item for players (and FFmpeg) that do not trim the end by
// the edit list. "faststart" moves the index in front of the audio when the file is finished.
//
// Bit-rate mode sets the average rate; VBR sets FFmpeg's AAC quality (0.1 .. 2.0).
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "engines/AvErrorText.h"
#include "engines/EmptiedOutputFile.h"
#include "engines/EncoderBase.h"
#include "engines/EngineError.h"
#include "engines/LibraryHandles.h"
#include "engines/Mp4GaplessInfo.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

namespace {

constexpr int kAacRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                             22050, 16000, 12000, 11025, 8000,  7350};
constexpr int kAacMaxChannels = 8;
// An AAC frame holds at most 6144 bits per channel.
constexpr long kMaxBitsPerChannelFrame = 6144;
constexpr int kAacFrame = 1024;

bool IsAacRate(int rate) {
  return std::find(std::begin(kAacRates), std::end(kAacRates), rate) != std::end(kAacRates);
}

class M4aEncoder final : public EncoderBase {
 public:
  explicit M4aEncoder(const M4aSettings& settings)
      : EncoderBase("M4A", {settings.sampleRate, settings.channels, SampleType::kFloat}),
        settings_(settings) {}
  ~M4aEncoder() override { FinishQuietly(); }

 private:
  void StartOutput() override {
    if (!M4aFormatSupported(settings_) || settings_.sampleRate == 0 || settings_.channels == 0)
      FailCreate("AAC does not allow " + std::to_string(settings_.sampleRate) + " Hz, " +
                 std::to_string(settings_.channels) + " channels at " +
                 std::to_string(settings_.bitRate) + " kbit/s");
    OpenCodec();
    OpenContainer();
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!frame_ || !packet_) FailCreate("out of memory for the AAC encoder");
    planes_.assign(static_cast<size_t>(settings_.channels), {});
  }

  void OpenCodec() {
    const AVCodec* aac = avcodec_find_encoder_by_name("aac");
    if (!aac) FailCreate("this FFmpeg has no AAC encoder");
    codec_.reset(avcodec_alloc_context3(aac));
    if (!codec_) FailCreate("out of memory for the AAC encoder");
    AVCodecContext* c = codec_.get();
    c->sample_fmt = AV_SAMPLE_FMT_FLTP;
    c->sample_rate = settings_.sampleRate;
    av_channel_layout_default(&c->ch_layout, settings_.channels);
    c->time_base = AVRational{1, settings_.sampleRate};
    c->profile = FF_PROFILE_AAC_LOW;
    if (settings_.vbrQuality > 0) {
      c->flags |= AV_CODEC_FLAG_QSCALE;
      c->global_quality = FF_QP2LAMBDA * settings_.vbrQuality / 10;
    } else {
      c->bit_rate = settings_.bitRate * 1000L;
    }
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;  // MP4 keeps the decoder set-up in its header
    int rc = avcodec_open2(c, aac, nullptr);
    if (rc < 0) FailCreate("the AAC encoder cannot start: " + AvErrorText(rc));
  }

  void OpenContainer() {
    AVFormatContext* raw = nullptr;
    int rc = avformat_alloc_output_context2(&raw, nullptr, "ipod", Path().c_str());
    if (rc < 0 || !raw) FailCreate("the MP4 writer cannot start: " + AvErrorText(rc));
    output_.reset(raw);
    stream_ = avformat_new_stream(raw, nullptr);
    if (!stream_) FailCreate("out of memory for the MP4 writer");
    rc = avcodec_parameters_from_context(stream_->codecpar, codec_.get());
    if (rc < 0) FailCreate(AvErrorText(rc));
    stream_->time_base = codec_->time_base;
    rc = OpenEmptiedAvioOutput(&raw->pb, Path());
    if (rc < 0) FailCreate(AvErrorText(rc));
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    rc = avformat_write_header(raw, &options);
    av_dict_free(&options);
    if (rc < 0) FailWrite(AvErrorText(rc));  // the file exists: this is a failed write
  }

  // The writer hands over float samples, which are deinterleaved into the encoder's planes.
  void EncodeFloat(const float* samples, size_t frames) override {
    Deinterleave(samples, frames, 1.0f);
  }
  void Encode(const int16_t* samples, size_t frames) override {
    Deinterleave(samples, frames, 1.0f / 32768.0f);
  }

  template <typename Sample>
  void Deinterleave(const Sample* samples, size_t frames, float scale) {
    const size_t channels = planes_.size();
    for (size_t c = 0; c < channels; ++c) {
      std::vector<float>& plane = planes_[c];
      const size_t start = plane.size();
      plane.resize(start + frames);
      for (size_t i = 0; i < frames; ++i) plane[start + i] = samples[i * channels + c] * scale;
    }
    SendWholeFrames();
  }

  void SendWholeFrames() {
    size_t sent = 0;
    for (; planes_[0].size() - sent >= static_cast<size_t>(kAacFrame); sent += kAacFrame)
      SendFrame(sent, kAacFrame);
    for (std::vector<float>& plane : planes_) plane.erase(plane.begin(), plane.begin() + sent);
  }

  void SendFrame(size_t from, int count) {
    AVFrame* f = frame_.get();
    av_frame_unref(f);
    f->nb_samples = count;
    f->format = AV_SAMPLE_FMT_FLTP;
    f->sample_rate = settings_.sampleRate;
    int rc = av_channel_layout_copy(&f->ch_layout, &codec_->ch_layout);
    if (rc >= 0) rc = av_frame_get_buffer(f, 0);
    if (rc < 0) FailWrite(AvErrorText(rc));
    for (size_t c = 0; c < planes_.size(); ++c) {
      std::copy_n(planes_[c].begin() + from, count, reinterpret_cast<float*>(f->extended_data[c]));
    }
    f->pts = samplesSent_;
    samplesSent_ += count;
    Send(f);
  }

  void Send(const AVFrame* frame) {
    int rc = avcodec_send_frame(codec_.get(), frame);
    if (rc < 0) FailWrite("the AAC encoder failed: " + AvErrorText(rc));
    while ((rc = avcodec_receive_packet(codec_.get(), packet_.get())) == 0) {
      av_packet_rescale_ts(packet_.get(), codec_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      ++packetsWritten_;
      rc = av_interleaved_write_frame(output_.get(), packet_.get());
      if (rc < 0) FailWrite(AvErrorText(rc));
    }
    if (rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) FailWrite("the AAC encoder failed: " + AvErrorText(rc));
  }

  void CompleteOutput() override {
    if (!planes_[0].empty()) SendFrame(0, static_cast<int>(planes_[0].size()));  // a short last frame
    Send(nullptr);
    int rc = av_write_trailer(output_.get());  // faststart rewrites the file here
    if (rc < 0) FailWrite(AvErrorText(rc));
    rc = avio_closep(&output_->pb);
    if (rc < 0) FailWrite(AvErrorText(rc));
    const int64_t decoded = packetsWritten_ * kAacFrame;
    const Mp4GaplessInfo gapless{codec_->initial_padding, decoded - codec_->initial_padding - samplesSent_, samplesSent_};
    if (!WriteMp4GaplessInfo(Path(), gapless)) FailWrite("cannot add the gapless data to the MP4 file");
  }

  void DropOutput() noexcept override {
    output_.reset();
    codec_.reset();
    frame_.reset();
    packet_.reset();
    planes_.clear();
  }

  M4aSettings settings_;
  AvCodec codec_;
  AvOutput output_;
  AVStream* stream_ = nullptr;  // owned by output_
  AvFrame frame_;
  AvPacket packet_;
  std::vector<std::vector<float>> planes_;  // samples waiting for a whole AAC frame
  int64_t samplesSent_ = 0;
  int64_t packetsWritten_ = 0;
};

}  // namespace

std::unique_ptr<EncoderBackend> MakeM4aEncoder(const M4aSettings& settings) {
  return std::make_unique<M4aEncoder>(settings);
}

int NearestAacSampleRate(int sampleRate) {
  return *std::min_element(std::begin(kAacRates), std::end(kAacRates), [sampleRate](int a, int b) {
    return std::abs(a - sampleRate) < std::abs(b - sampleRate);
  });
}

bool M4aFormatSupported(const M4aSettings& s) {
  if (s.channels < 0 || s.channels > kAacMaxChannels) return false;
  if (s.sampleRate != 0 && !IsAacRate(s.sampleRate)) return false;
  if (s.vbrQuality != 0) return s.vbrQuality > 0 && s.vbrQuality <= kM4aMaxVbrQuality;
  if (s.bitRate < kM4aMinKbps || s.bitRate > kM4aMaxKbps) return false;
  // Where rate and channels are known, the bit rate must fit AAC's frame limit.
  if (s.sampleRate == 0 || s.channels == 0) return true;
  return s.bitRate <= AacMaxKbps(s.sampleRate, s.channels);
}

int AacMaxKbps(int sampleRate, int channels) {
  return static_cast<int>(kMaxBitsPerChannelFrame * channels * sampleRate / kAacFrame / 1000);
}
