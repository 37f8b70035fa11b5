// OGG Vorbis output through libvorbisenc, with the Ogg stream written here.
//
// Bit-rate mode (quality -1) is libvorbisenc's managed mode with the nominal, maximum and
// minimum rates; the two bounds are sorted first, since callers disagree on their order.
// Quality mode maps the user's 0..1000, where 0 is the best quality and 1000 the smallest,
// fastest file, linearly onto Vorbis quality 1.0 .. -0.1 (the whole range libvorbis offers).
// Only the vendor comment is written; tags are added to the finished file later.
#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <random>
#include <string>

#include "engines/EncoderBackend.h"
#include "engines/EncoderOutputFile.h"
#include "engines/EngineError.h"

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
  if (s.quality != -1) return text + "quality " + std::to_string(s.quality);
  return text + std::to_string(s.bitRate) + " kbit/s (" + std::to_string(s.minBitRate) + ".." +
         std::to_string(s.maxBitRate) + ")";
}

class OggEncoder final : public EncoderBackend {
 public:
  explicit OggEncoder(const OggSettings& settings) : settings_(settings) {}
  ~OggEncoder() override {
    try {
      Finish();
    } catch (...) {
      // A destructor must not throw; Finish has released everything before throwing.
    }
  }

  PcmFormat InputFormat() const override { return {settings_.sampleRate, settings_.channels}; }

  void Open(const std::string& path) override {
    if (vorbisReady_ || file_.IsOpen()) throw EngineError("Cannot create " + path + ": the OGG encoder is already writing " + file_.Path());
    try {
      SetUpEncoder(path);
      file_.Create(path);
      WriteHeaders();
    } catch (...) {
      Release();
      throw;
    }
  }

  void Write(const int16_t* samples, size_t frames) override {
    if (!streamReady_) throw EngineError("Cannot write OGG: no output file is open");
    try {
      while (frames > 0) {
        int chunk = static_cast<int>(std::min(frames, static_cast<size_t>(kChunkFrames)));
        Analyse(samples, chunk);
        EncodeReadyBlocks();
        samples += static_cast<size_t>(chunk) * settings_.channels;
        frames -= chunk;
      }
    } catch (...) {
      Release();  // a failed file is given up; the following Finish has nothing left to do
      throw;
    }
  }

  void Finish() override {
    if (!vorbisReady_ && !file_.IsOpen()) return;
    try {
      if (streamReady_) {
        vorbis_analysis_wrote(&dsp_, 0);  // marks the last packet end-of-stream
        EncodeReadyBlocks();
        FlushPages();
      }
      file_.Close();
    } catch (...) {
      Release();
      throw;
    }
    Release();
  }

 private:
  static constexpr int kChunkFrames = 4096;

  void SetUpEncoder(const std::string& path) {
    vorbis_info_init(&info_);
    vorbisReady_ = true;
    const OggSettings& s = settings_;
    int rc = OV_EINVAL;
    if (s.channels == 1 || s.channels == 2) {
      rc = s.quality == -1
               ? SetUpManaged(&info_, s.sampleRate, s.channels, s.bitRate, s.maxBitRate, s.minBitRate)
               : vorbis_encode_init_vbr(&info_, s.channels, s.sampleRate, VorbisQualityFor(s.quality));
    }
    if (rc != 0) throw EngineError("Cannot create " + path + ": the Vorbis encoder cannot encode " + Describe(s));
  }

  void Analyse(const int16_t* samples, int frames) {
    const int channels = settings_.channels;
    float** planes = vorbis_analysis_buffer(&dsp_, frames);
    for (int c = 0; c < channels; ++c) {
      float* plane = planes[c];
      const int16_t* in = samples + c;
      for (int i = 0; i < frames; ++i) plane[i] = in[static_cast<size_t>(i) * channels] * (1.0f / 32768.0f);
    }
    vorbis_analysis_wrote(&dsp_, frames);
  }

  void WriteHeaders() {
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_analysis_init(&dsp_, &info_);
    vorbis_block_init(&dsp_, &block_);
    ogg_stream_init(&stream_, static_cast<int>(std::random_device{}() & 0x7fffffff));
    streamReady_ = true;
    ogg_packet identification, comments, codebooks;
    vorbis_analysis_headerout(&dsp_, &comment, &identification, &comments, &codebooks);
    vorbis_comment_clear(&comment);
    // The identification header has a page of its own; the other two end the header pages,
    // so the first audio packet starts a fresh page.
    ogg_stream_packetin(&stream_, &identification);
    FlushPages();
    ogg_stream_packetin(&stream_, &comments);
    ogg_stream_packetin(&stream_, &codebooks);
    FlushPages();
  }

  void EncodeReadyBlocks() {
    while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
      vorbis_analysis(&block_, nullptr);
      vorbis_bitrate_addblock(&block_);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
        ogg_stream_packetin(&stream_, &packet);
        WritePages(ogg_stream_pageout);
      }
    }
  }

  void FlushPages() { WritePages(ogg_stream_flush); }

  void WritePages(int (*nextPage)(ogg_stream_state*, ogg_page*)) {
    ogg_page page;
    while (nextPage(&stream_, &page) != 0) {
      file_.Append(page.header, static_cast<size_t>(page.header_len));
      file_.Append(page.body, static_cast<size_t>(page.body_len));
    }
  }

  // Frees every libvorbis/libogg state in reverse order of creation; closes the file
  // without reporting, for error paths.
  void Release() noexcept {
    if (streamReady_) {
      ogg_stream_clear(&stream_);
      vorbis_block_clear(&block_);
      vorbis_dsp_clear(&dsp_);
      streamReady_ = false;
    }
    if (vorbisReady_) {
      vorbis_info_clear(&info_);
      vorbisReady_ = false;
    }
    if (file_.IsOpen()) {
      try {
        file_.Close();
      } catch (...) {
      }
    }
  }

  OggSettings settings_;
  EncoderOutputFile file_;
  vorbis_info info_{};
  vorbis_dsp_state dsp_{};
  vorbis_block block_{};
  ogg_stream_state stream_{};
  bool vorbisReady_ = false;  // info_ initialised
  bool streamReady_ = false;  // dsp_, block_ and stream_ initialised
};

}  // namespace

std::unique_ptr<EncoderBackend> MakeOggEncoder(const OggSettings& settings) {
  return std::make_unique<OggEncoder>(settings);
}

bool OggFormatSupported(int sampleRate, int channels, int bitRateKbps, int maxBitRateKbps,
                        int minBitRateKbps) {
  if (channels != 1 && channels != 2) return false;
  if (sampleRate <= 0 || bitRateKbps <= 0 || maxBitRateKbps <= 0 || minBitRateKbps <= 0) return false;
  vorbis_info scratch;
  vorbis_info_init(&scratch);
  int rc = SetUpManaged(&scratch, sampleRate, channels, bitRateKbps, maxBitRateKbps, minBitRateKbps);
  vorbis_info_clear(&scratch);
  return rc == 0;
}
