// WMA output: FFmpeg's WMA version 2 encoder in FFmpeg's ASF muxer, at the rate, channels
// and constant bit rate of the chosen profile (WmaProfiles.cpp).
//
// The encoder takes fixed-size frames of planar float samples, so incoming 16-bit PCM is
// converted straight into the pending frame and sent when the frame is full; the last,
// partial frame is padded by FFmpeg.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
}

#include <algorithm>
#include <string>

#include "engines/AvErrorText.h"
#include "engines/EncoderBackend.h"
#include "engines/EngineError.h"
#include "engines/WmaProfiles.h"

namespace {

class WmaEncoder final : public EncoderBackend {
 public:
  explicit WmaEncoder(const WmaProfile& profile) : profile_(profile) {}
  ~WmaEncoder() override {
    try {
      Finish();
    } catch (...) {
      // A destructor must not throw; Finish has released everything before throwing.
    }
  }

  PcmFormat InputFormat() const override { return {profile_.sampleRate, profile_.channels}; }

  void Open(const std::string& path) override {
    if (muxer_) throw EngineError("Cannot create " + path + ": the WMA encoder is already writing " + path_);
    path_ = path;
    try {
      OpenEncoder();
      OpenMuxer();
      AllocateFrame();
    } catch (...) {
      Release();
      throw;
    }
  }

  void Write(const int16_t* samples, size_t frames) override {
    if (!headerWritten_) throw EngineError("Cannot write WMA: no output file is open");
    try {
      while (frames > 0) {
        int take = static_cast<int>(std::min(frames, static_cast<size_t>(encoder_->frame_size - filled_)));
        AddToPendingFrame(samples, take);
        samples += static_cast<size_t>(take) * profile_.channels;
        frames -= take;
        if (filled_ == encoder_->frame_size) SendPendingFrame();
      }
    } catch (...) {
      Release();  // a failed file is given up; the following Finish has nothing left to do
      throw;
    }
  }

  void Finish() override {
    if (!muxer_ && !encoder_) return;
    try {
      if (headerWritten_) {
        if (filled_ > 0) SendPendingFrame();
        Check(avcodec_send_frame(encoder_, nullptr), "Cannot write ");
        WriteEncodedPackets();
        headerWritten_ = false;
        Check(av_write_trailer(muxer_), "Cannot write ");
      }
      CloseOutput(true);
    } catch (...) {
      Release();
      throw;
    }
    Release();
  }

 private:
  void Check(int result, const char* what) const {
    if (result < 0) throw EngineError(what + path_ + ": " + AvErrorText(result));
  }

  void OpenEncoder() {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
    if (!codec) throw EngineError("Cannot create " + path_ + ": this FFmpeg has no WMA encoder");
    encoder_ = avcodec_alloc_context3(codec);
    if (!encoder_) Check(AVERROR(ENOMEM), "Cannot create ");
    encoder_->sample_fmt = AV_SAMPLE_FMT_FLTP;
    encoder_->sample_rate = profile_.sampleRate;
    encoder_->bit_rate = profile_.bitRateKbps * 1000L;
    encoder_->time_base = AVRational{1, profile_.sampleRate};
    av_channel_layout_default(&encoder_->ch_layout, profile_.channels);
    // The ASF header carries the codec's set-up data.
    encoder_->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    Check(avcodec_open2(encoder_, codec, nullptr), "Cannot create ");
  }

  void OpenMuxer() {
    Check(avformat_alloc_output_context2(&muxer_, nullptr, "asf", path_.c_str()), "Cannot create ");
    stream_ = avformat_new_stream(muxer_, nullptr);
    if (!stream_) Check(AVERROR(ENOMEM), "Cannot create ");
    stream_->time_base = encoder_->time_base;
    Check(avcodec_parameters_from_context(stream_->codecpar, encoder_), "Cannot create ");
    Check(avio_open(&muxer_->pb, path_.c_str(), AVIO_FLAG_WRITE), "Cannot create ");
    Check(avformat_write_header(muxer_, nullptr), "Cannot write ");
    headerWritten_ = true;
  }

  void AllocateFrame() {
    frame_ = av_frame_alloc();
    packet_ = av_packet_alloc();
    if (!frame_ || !packet_) Check(AVERROR(ENOMEM), "Cannot create ");
    frame_->format = encoder_->sample_fmt;
    frame_->sample_rate = encoder_->sample_rate;
    frame_->nb_samples = encoder_->frame_size;
    Check(av_channel_layout_copy(&frame_->ch_layout, &encoder_->ch_layout), "Cannot create ");
    Check(av_frame_get_buffer(frame_, 0), "Cannot create ");
  }

  void AddToPendingFrame(const int16_t* samples, int frames) {
    const int channels = profile_.channels;
    if (filled_ == 0) Check(av_frame_make_writable(frame_), "Cannot write ");
    for (int c = 0; c < channels; ++c) {
      float* plane = reinterpret_cast<float*>(frame_->data[c]) + filled_;
      const int16_t* in = samples + c;
      for (int i = 0; i < frames; ++i) plane[i] = in[static_cast<size_t>(i) * channels] * (1.0f / 32768.0f);
    }
    filled_ += frames;
  }

  void SendPendingFrame() {
    frame_->nb_samples = filled_;
    frame_->pts = nextPts_;
    nextPts_ += filled_;
    filled_ = 0;
    Check(avcodec_send_frame(encoder_, frame_), "Cannot write ");
    WriteEncodedPackets();
  }

  void WriteEncodedPackets() {
    for (;;) {
      int result = avcodec_receive_packet(encoder_, packet_);
      if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return;
      Check(result, "Cannot write ");
      av_packet_rescale_ts(packet_, encoder_->time_base, stream_->time_base);
      packet_->stream_index = stream_->index;
      Check(av_interleaved_write_frame(muxer_, packet_), "Cannot write ");  // takes the packet
    }
  }

  // Completes the muxer if its header went out (it frees its own tables only then) and
  // closes the file; errors are reported only when asked.
  void CloseOutput(bool report) {
    if (!muxer_) return;
    if (headerWritten_) {
      headerWritten_ = false;
      av_write_trailer(muxer_);
    }
    if (muxer_->pb) {
      int result = avio_closep(&muxer_->pb);
      if (report) Check(result, "Cannot write ");
    }
  }

  void Release() noexcept {
    CloseOutput(false);
    avformat_free_context(muxer_);
    muxer_ = nullptr;
    stream_ = nullptr;
    avcodec_free_context(&encoder_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    filled_ = 0;
    nextPts_ = 0;
  }

  WmaProfile profile_;
  std::string path_;
  AVCodecContext* encoder_ = nullptr;
  AVFormatContext* muxer_ = nullptr;
  AVStream* stream_ = nullptr;
  AVFrame* frame_ = nullptr;
  AVPacket* packet_ = nullptr;
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
