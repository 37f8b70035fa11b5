// Opus output through libopusenc, which writes the Ogg stream with the right pre-skip and an
// end granule that trims the last packet, so the decoded length is what was handed over.
// Input arrives at 48 kHz: the writer resamples with its best filter (WantsBestResampling).
// More than two channels use mapping family 1 (Vorbis channel order, as FFmpeg's default
// layouts give them).
#include <opusenc.h>

#include <string>
#include <vector>

#include "engines/EncoderBase.h"
#include "engines/EngineError.h"
#include "engines/LibraryHandles.h"

namespace {

constexpr int kOpusRate = 48000;
constexpr int kOpusMaxChannels = 255;

class OggOpusFileEncoder final : public EncoderBase {
 public:
  explicit OggOpusFileEncoder(const OpusSettings& settings)
      : EncoderBase("OPUS", {kOpusRate, settings.channels, SampleType::kFloat}), settings_(settings) {}
  ~OggOpusFileEncoder() override { FinishQuietly(); }

  bool WantsBestResampling() const override { return true; }

 private:
  void StartOutput() override {
    if (!OpusFormatSupported(settings_) || settings_.channels == 0)
      FailCreate("Opus does not allow " + std::to_string(settings_.channels) + " channels at " +
                 std::to_string(settings_.bitRate) + " kbit/s, complexity " +
                 std::to_string(settings_.complexity));
    comments_.reset(ope_comments_create());
    if (!comments_) FailCreate("out of memory for the Opus encoder");
    int error = OPE_OK;
    const int family = settings_.channels > 2 ? 1 : 0;
    encoder_.reset(ope_encoder_create_file(Path().c_str(), comments_.get(), kOpusRate,
                                           settings_.channels, family, &error));
    if (!encoder_) FailCreate(ope_strerror(error));
    Check(ope_encoder_ctl(encoder_.get(), OPUS_SET_BITRATE(settings_.bitRate * 1000)), true);
    Check(ope_encoder_ctl(encoder_.get(), OPUS_SET_VBR(settings_.rateControl != OpusRateControl::kCbr)), true);
    Check(ope_encoder_ctl(encoder_.get(), OPUS_SET_VBR_CONSTRAINT(
                                              settings_.rateControl == OpusRateControl::kConstrainedVbr)), true);
    Check(ope_encoder_ctl(encoder_.get(), OPUS_SET_COMPLEXITY(settings_.complexity)), true);
  }

  // The writer hands over float samples (the resampler works in float anyway); 16-bit ones
  // would go in as they are.
  void EncodeFloat(const float* samples, size_t frames) override {
    Check(ope_encoder_write_float(encoder_.get(), samples, static_cast<int>(frames)), false);
    framesWritten_ += frames;
  }
  void Encode(const int16_t* samples, size_t frames) override {
    Check(ope_encoder_write(encoder_.get(), samples, static_cast<int>(frames)), false);
    framesWritten_ += frames;
  }

  void CompleteOutput() override {
    // libopusenc cannot end a stream that never had audio: an empty output gets one silent
    // sample.
    if (framesWritten_ == 0) {
      const std::vector<int16_t> silence(static_cast<size_t>(settings_.channels), 0);
      Check(ope_encoder_write(encoder_.get(), silence.data(), 1), false);
    }
    Check(ope_encoder_drain(encoder_.get()), false);
    encoder_.reset();  // closes the file; libopusenc reports no close failure of its own
  }

  void DropOutput() noexcept override {
    encoder_.reset();
    comments_.reset();
    framesWritten_ = 0;
  }

  void Check(int result, bool creating) const {
    if (result == OPE_OK) return;
    const std::string reason = std::string("the Opus encoder failed: ") + ope_strerror(result);
    if (creating) FailCreate(reason);
    FailWrite(reason);
  }

  OpusSettings settings_;
  OpusCommentsHandle comments_;
  OpusEncoderHandle encoder_;
  size_t framesWritten_ = 0;
};

}  // namespace

std::unique_ptr<EncoderBackend> MakeOpusEncoder(const OpusSettings& settings) {
  return std::make_unique<OggOpusFileEncoder>(settings);
}

bool OpusFormatSupported(const OpusSettings& s) {
  return s.channels >= 0 && s.channels <= kOpusMaxChannels && s.bitRate >= kOpusMinKbps &&
         s.bitRate <= kOpusMaxKbps && s.complexity >= 0 && s.complexity <= kOpusMaxComplexity;
}
