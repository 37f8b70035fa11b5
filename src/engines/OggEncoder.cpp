// OGG Vorbis output through libvorbisenc, with the Ogg stream written here.
//
// Bit-rate mode (quality kOggBitRateMode) is libvorbisenc's managed mode with the nominal, maximum and
// minimum rates; the two bounds are sorted first, since callers disagree on their order.
// Quality mode maps the user's 0..1000, where 0 is the best quality and 1000 the smallest,
// fastest file, linearly onto Vorbis quality 1.0 .. -0.1 (the whole range libvorbis offers).
// Only the vendor comment is written; tags are added to the finished file later.
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>

#include "engines/EncoderBase.h"
#include "engines/EncoderOutputFile.h"
#include "engines/EngineError.h"
#include "engines/LibraryHandles.h"

namespace {

float VorbisQualityFor(int quality) {
  int clamped = std::max(0, std::min(quality, 1000));
  return 1.0f - 1.1f * static_cast<float>(clamped) / 1000.0f;
}

// Managed bit-rate set-up on an initialised vorbis_info; 0 when libvorbisenc accepts it.
int SetUpManaged(vorbis_info* info, int sampleRate, int channels, int nominalKbps, int maxKbps,
                 int minKbps) {
  if (maxKbps < minKbps) std::swap(maxKbps, minKbps);
  int rc = vorbis_encode_setup_managed(info, channels, sampleRate, maxKbps * 1000L,
                                       nominalKbps * 1000L, minKbps * 1000L);
  return rc == 0 ? vorbis_encode_setup_init(info) : rc;
}

std::string Describe(const OggSettings& s) {
  std::string text = std::to_string(s.sampleRate) + " Hz, " + std::to_string(s.channels) +
                     (s.channels == 1 ? " channel, " : " channels, ");
  if (s.quality != kOggBitRateMode) return text + "quality " + std::to_string(s.quality);
  return text + std::to_string(s.bitRate) + " kbit/s (" + std::to_string(s.minBitRate) + ".." +
         std::to_string(s.maxBitRate) + ")";
}

class OggEncoder final : public EncoderBase {
 public:
  explicit OggEncoder(const OggSettings& settings)
      : EncoderBase("OGG", {settings.sampleRate, settings.channels}), settings_(settings) {}
  ~OggEncoder() override { FinishQuietly(); }

 private:
  static constexpr int kChunkFrames = 4096;

  void StartOutput() override {
    SetUpEncoder();
    file_.Create(Path());
    WriteHeaders();
  }

  void Encode(const int16_t* samples, size_t frames) override {
    while (frames > 0) {
      int chunk = static_cast<int>(std::min(frames, static_cast<size_t>(kChunkFrames)));
      Analyse(samples, chunk);
      EncodeReadyBlocks();
      samples += static_cast<size_t>(chunk) * settings_.channels;
      frames -= chunk;
    }
  }

  void CompleteOutput() override {
    // Zero samples mark the last packet end-of-stream.
    Check(vorbis_analysis_wrote(&analysis_->dsp, 0), "ending the stream");
    EncodeReadyBlocks();
    FlushPages();
    file_.Close();
  }

  void DropOutput() noexcept override {
    stream_.reset();
    analysis_.reset();
    info_.reset();
    file_.Abandon();
  }

  void Check(int vorbisResult, const char* step) const {
    if (vorbisResult < 0)
      FailWrite(std::string("the Vorbis encoder failed ") + step + " (error " +
                std::to_string(vorbisResult) + ")");
  }

  void SetUpEncoder() {
    info_ = std::make_unique<VorbisInfo>();
    const OggSettings& s = settings_;
    int rc = OV_EINVAL;
    if (s.channels == 1 || s.channels == 2) {
      rc = s.quality == kOggBitRateMode
               ? SetUpManaged(&info_->info, s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate)
               : vorbis_encode_init_vbr(&info_->info, s.channels, s.sampleRate, VorbisQualityFor(s.quality));
    }
    if (rc != 0) FailCreate("the Vorbis encoder cannot encode " + Describe(s));
    analysis_ = std::make_unique<VorbisAnalysis>(&info_->info);
    if (analysis_->initResult != 0) FailCreate("the Vorbis encoder cannot start (error " + std::to_string(analysis_->initResult) + ")");
    stream_ = std::make_unique<OggStream>(static_cast<int>(std::random_device{}() & 0x7fffffff));
    if (stream_->initResult != 0) FailCreate("cannot start the Ogg stream");
  }

  void Analyse(const int16_t* samples, int frames) {
    const int channels = settings_.channels;
    float** planes = vorbis_analysis_buffer(&analysis_->dsp, frames);
    if (!planes) FailWrite("the Vorbis encoder has no buffer");
    for (int c = 0; c < channels; ++c) {
      float* plane = planes[c];
      const int16_t* in = samples + c;
      for (int i = 0; i < frames; ++i) plane[i] = in[static_cast<size_t>(i) * channels] * (1.0f / 32768.0f);
    }
    Check(vorbis_analysis_wrote(&analysis_->dsp, frames), "taking samples");
  }

  void WriteHeaders() {
    VorbisComment comment;
    ogg_packet identification, comments, codebooks;
    if (vorbis_analysis_headerout(&analysis_->dsp, &comment.comment, &identification, &comments,
                                  &codebooks) != 0)
      FailCreate("the Vorbis encoder cannot make its headers");
    // The identification header has a page of its own; the other two end the header pages,
    // so the first audio packet starts a fresh page.
    PacketIn(identification);
    FlushPages();
    PacketIn(comments);
    PacketIn(codebooks);
    FlushPages();
  }

  void PacketIn(ogg_packet& packet) {
    if (ogg_stream_packetin(&stream_->stream, &packet) != 0) FailWrite("the Ogg stream refused a packet");
  }

  void EncodeReadyBlocks() {
    vorbis_dsp_state* dsp = &analysis_->dsp;
    vorbis_block* block = &analysis_->block;
    int ready;
    while ((ready = vorbis_analysis_blockout(dsp, block)) == 1) {
      Check(vorbis_analysis(block, nullptr), "analysing a block");
      Check(vorbis_bitrate_addblock(block), "managing the bit rate");
      ogg_packet packet;
      int flushed;
      while ((flushed = vorbis_bitrate_flushpacket(dsp, &packet)) == 1) {
        PacketIn(packet);
        WritePages(ogg_stream_pageout);
      }
      Check(flushed, "handing out a packet");
    }
    Check(ready, "cutting blocks");
  }

  void FlushPages() { WritePages(ogg_stream_flush); }

  void WritePages(int (*nextPage)(ogg_stream_state*, ogg_page*)) {
    ogg_page page;
    while (nextPage(&stream_->stream, &page) != 0) {
      file_.Append(page.header, static_cast<size_t>(page.header_len));
      file_.Append(page.body, static_cast<size_t>(page.body_len));
    }
  }

  OggSettings settings_;
  EncoderOutputFile file_;
  // Created in this order and released in the reverse: the analysis needs the info.
  std::unique_ptr<VorbisInfo> info_;
  std::unique_ptr<VorbisAnalysis> analysis_;
  std::unique_ptr<OggStream> stream_;
};

}  // namespace

std::unique_ptr<EncoderBackend> MakeOggEncoder(const OggSettings& settings) {
  return std::make_unique<OggEncoder>(settings);
}

bool OggFormatSupported(int sampleRate, int channels, int bitRateKbps, int maxBitRateKbps,
                        int minBitRateKbps) {
  if (channels != 1 && channels != 2) return false;
  if (sampleRate <= 0 || bitRateKbps <= 0 || maxBitRateKbps <= 0 || minBitRateKbps <= 0) return false;
  VorbisInfo scratch;
  return SetUpManaged(&scratch.info, sampleRate, channels, bitRateKbps, maxBitRateKbps, minBitRateKbps) == 0;
}

int OggQualityNominalKbps(int sampleRate, int channels, int quality) {
  if (channels != 1 && channels != 2) return -1;
  VorbisInfo scratch;
  if (vorbis_encode_init_vbr(&scratch.info, channels, sampleRate, VorbisQualityFor(quality)) != 0)
    return -1;
  const long nominal = scratch.info.bitrate_nominal;
  return nominal > 0 ? static_cast<int>((nominal + 500) / 1000) : 0;
}
