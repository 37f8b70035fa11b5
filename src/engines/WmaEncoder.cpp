// WMA output: FFmpeg's WMA version 2 encoder in FFmpeg's ASF muxer, at the rate, channels
// and constant bit rate of the chosen profile (WmaProfiles.cpp).
//
// The encoder takes fixed-size frames of planar float samples, so incoming 16-bit PCM is
// converted straight into the pending frame and sent when the frame is full. FFmpeg's WMA
// decoder drops what it decodes from the first packet, so every output starts with one frame of
// silence for it to drop, and the last frame is padded with silence to full size: every sample
// fed reaches the decoded output, even from a source shorter than one frame.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

#include <algorithm>
#include <string>

#include "engines/AvErrorText.h"
#include "engines/EmptiedOutputFile.h"
#include "engines/EncoderBase.h"
#include "engines/EngineError.h"
#include "engines/LibraryHandles.h"
#include "engines/WmaProfiles.h"

namespace {

class WmaEncoder final : public EncoderBase {
 public:
  explicit WmaEncoder(const WmaProfile& profile)
      : EncoderBase("WMA", {profile.sampleRate, profile.channels}), profile_(profile) {}
  ~WmaEncoder() override { FinishQuietly(); }

 private:
  void StartOutput() override {
    OpenEncoder();
    OpenMuxer();
    AllocateFrame();
    PadPendingFrame();  // the frame decoders drop
    SendPendingFrame();
  }

  void Encode(const int16_t* samples, size_t frames) override {
    while (frames > 0) {
      int take = static_cast<int>(std::min(frames, static_cast<size_t>(encoder_->frame_size - filled_)));
      AddToPendingFrame(samples, take);
      samples += static_cast<size_t>(take) * profile_.channels;
      frames -= take;
      if (filled_ == encoder_->frame_size) SendPendingFrame();
    }
  }

  void CompleteOutput() override {
    if (filled_ > 0) {
      PadPendingFrame();
      SendPendingFrame();
    }
    CheckWrite(avcodec_send_frame(encoder_.get(), nullptr));
    WriteEncodedPackets();
    headerWritten_ = false;
    CheckWrite(av_write_trailer(muxer_.get()));
    CheckWrite(avio_closep(&muxer_->pb));
  }

  void DropOutput() noexcept override {
    // The muxer frees its tables only in its trailer.
    if (headerWritten_) av_write_trailer(muxer_.get());
    headerWritten_ = false;
    muxer_.reset();
    stream_ = nullptr;
    encoder_.reset();
    frame_.reset();
    packet_.reset();
    filled_ = 0;
    nextPts_ = 0;
  }

  void CheckCreate(int result) const {
    if (result < 0) FailCreate(AvErrorText(result));
  }
  void CheckWrite(int result) const {
    if (result < 0) FailWrite(AvErrorText(result));
  }

  void OpenEncoder() {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec) FailCreate("this FFmpeg has no WMA encoder");
    encoder_.reset(avcodec_alloc_context3(codec));
    if (!encoder_) CheckCreate(AVERROR(ENOMEM));
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = profile_.sampleRate;
    encoder_->bit_rate = profile_.bitRateKbps * 1000L;
    encoder_->time_base = AVRational{1, profile_.sampleRate};
    av_channel_layout_default(&encoder_->ch_layout, profile_.channels);
    // The ASF header carries the codec's set-up data.
    encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    CheckCreate(avcodec_open2(encoder_.get(), codec, nullptr));
  }

  void OpenMuxer() {
    AVFormatContext* muxer = nullptr;
    CheckCreate(avformat_alloc_output_context2(&muxer, nullptr, "asf", Path().c_str()));
    muxer_.reset(muxer);
    stream_ = avformat_new_stream(muxer_.get(), nullptr);
    if (!stream_) CheckCreate(AVERROR(ENOMEM));
    stream_->time_base = encoder_->time_base;
    CheckCreate(avcodec_parameters_from_context(stream_->codecpar, encoder_.get()));
    CheckCreate(OpenEmptiedAvioOutput(&muxer_->pb, Path()));
    CheckWrite(avformat_write_header(muxer_.get(), nullptr));
    headerWritten_ = true;
  }

  void AllocateFrame() {
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!frame_ || !packet_) CheckCreate(AVERROR(ENOMEM));
    frame_->format = encoder_->sample_fmt;
    frame_->sample_rate = encoder_->sample_rate;
    frame_->nb_samples = encoder_->frame_size;
    CheckCreate(av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout));
    CheckCreate(av_frame_get_buffer(frame_.get(), 0));
  }

  void AddToPendingFrame(const int16_t* samples, int frames) {
    const int channels = profile_.channels;
    if (filled_ == 0) CheckWrite(av_frame_make_writable(frame_.get()));
    for (int c = 0; c < channels; ++c) {
      float* plane = reinterpret_cast<float*>(frame_->data[c]) + filled_;
      const int16_t* in = samples + c;
      for (int i = 0; i < frames; ++i) plane[i] = in[static_cast<size_t>(i) * channels] * (1.0f / 32768.0f);
    }
    filled_ += frames;
  }

  // Fills the rest of the pending frame with silence.
  void PadPendingFrame() {
    if (filled_ == 0) CheckWrite(av_frame_make_writable(frame_.get()));
    for (int c = 0; c < profile_.channels; ++c) {
      float* plane = reinterpret_cast<float*>(frame_->data[c]);
      std::fill(plane + filled_, plane + encoder_->frame_size, 0.0f);
    }
    filled_ = encoder_->frame_size;
  }

  void SendPendingFrame() {
    frame_->nb_samples = filled_;
    frame_->pts = nextPts_;
    nextPts_ += filled_;
    filled_ = 0;
    CheckWrite(avcodec_send_frame(encoder_.get(), frame_.get()));
    WriteEncodedPackets();
  }

  void WriteEncodedPackets() {
    for (;;) {
      int result = avcodec_receive_packet(encoder_.get(), packet_.get());
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
      CheckWrite(result);
      av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      CheckWrite(av_interleaved_write_frame(muxer_.get(), packet_.get()));  // takes the packet
    }
  }

  WmaProfile profile_;
  AvCodec encoder_;
  AvOutput muxer_;
  AVStream* stream_ = nullptr;  // owned by muxer_
  AvFrame frame_;
  AvPacket packet_;
  bool headerWritten_ = false;  // the muxer needs its trailer
  int filled_ = 0;              // samples per channel waiting in frame_
  int64_t nextPts_ = 0;
};

}  // namespace

std::unique_ptr<EncoderBackend> MakeWmaEncoder(int profile) {
  const WmaProfile* entry = FindWmaProfile(profile);
  if (!entry) throw EngineError("There is no WMA profile " + std::to_string(profile) + " (profiles are 1 to " + std::to_string(kWmaProfileCount) + ")");
  return std::make_unique<WmaEncoder>(*entry);
}
