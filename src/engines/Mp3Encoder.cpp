// MP3 output through libmp3lame.
//
// Settings as LAME understands them:
// - quality is LAME's algorithm quality (lame_set_quality), 0 best/slowest .. 9 fastest;
// - vbrMethod -1 encodes at the constant bitRate; 0 switches to LAME's default VBR mode with
//   vbrQuality (lame_set_VBR_q, 0 best .. 9 smallest) and vbrBitRate as the UPPER bound of the
//   frame bit rates. The lower bound is left to LAME (the lowest rate the MPEG version allows),
//   so quiet passages can shrink as far as VBR lets them while no frame exceeds the user's
//   choice. An upper bound outside the version's range is pulled to its nearest end.
// - Every file starts with a LAME/Xing info frame, rewritten on Finish with the real frame
//   count, encoder delay and padding, so players and FFmpeg know the exact length. Where a
//   constant-rate frame is too small to hold it (low rates), LAME would leave it out; we then
//   reserve a frame of our own, at the lowest bit rate that fits, in front of the audio.
#include <lame/lame.h>

#include <algorithm>
#include <cstdarg>
#include <string>
#include <vector>

#include "engines/EncoderBase.h"
#include "engines/EncoderOutputFile.h"
#include "engines/EngineError.h"
#include "engines/LibraryHandles.h"
#include "engines/Mp3InfoFrame.h"

namespace {

// Layer III sample rates and bit rates per MPEG version. MPEG-2.5 is held to 8..64 kbit/s,
// the range LAME encodes for it.
struct MpegVersion {
  int sampleRates[3];
  std::vector<int> bitRates;
};

const MpegVersion kMpegVersions[] = {
    {{32000, 44100, 48000}, {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
    {{16000, 22050, 24000}, {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}},
    {{8000, 11025, 12000}, {8, 16, 24, 32, 40, 48, 56, 64}},
};

const MpegVersion* VersionForRate(int sampleRate) {
  for (const MpegVersion& version : kMpegVersions)
    for (int rate : version.sampleRates)
      if (rate == sampleRate) return &version;
  return nullptr;
}

int ClampToRange(int value, int low, int high) { return std::max(low, std::min(value, high)); }

void Silent(const char*, va_list) {}

std::string Describe(const Mp3Settings& s) {
  std::string text = std::to_string(s.sampleRate) + " Hz, ";
  text += s.vbrMethod == TAudioFile2LameEnc::kVbrOff ? std::to_string(s.bitRate) + " kbit/s"
                            : "VBR up to " + std::to_string(s.vbrBitRate) + " kbit/s";
  return text + ", " + std::to_string(s.channels) + (s.channels == 1 ? " channel" : " channels");
}

class Mp3Encoder final : public EncoderBase {
 public:
  explicit Mp3Encoder(const Mp3Settings& settings)
      : EncoderBase("MP3", {settings.sampleRate, settings.channels}), settings_(settings) {}
  ~Mp3Encoder() override { FinishQuietly(); }

 private:
  static constexpr int kChunkFrames = 8192;

  void StartOutput() override {
    CheckFormat();
    lame_.reset(lame_init());
    if (!lame_) FailCreate("out of memory for the MP3 encoder");
    Configure();
    if (lame_init_params(lame_.get()) < 0) FailCreate("the MP3 encoder refuses " + Describe(settings_));
    mp3Buffer_.resize(kChunkFrames + kChunkFrames / 4 + 7200);
    file_.Create(Path());
    ReserveOwnInfoFrame();
  }

  void Encode(const int16_t* samples, size_t frames) override {
    while (frames > 0) {
      int chunk = static_cast<int>(std::min(frames, static_cast<size_t>(kChunkFrames)));
      int bytes = EncodeChunk(samples, chunk);
      if (bytes < 0) FailWrite("the MP3 encoder failed (LAME error " + std::to_string(bytes) + ")");
      AppendAudio(static_cast<size_t>(bytes));
      samples += static_cast<size_t>(chunk) * settings_.channels;
      frames -= chunk;
    }
  }

  void CompleteOutput() override {
    FlushAndTag();
    file_.Close();
  }

  void DropOutput() noexcept override {
    lame_.reset();
    file_.Abandon();
  }

  void CheckFormat() const {
    const MpegVersion* version = VersionForRate(settings_.sampleRate);
    bool ok = version && (settings_.channels == 1 || settings_.channels == 2);
    if (ok && settings_.vbrMethod == TAudioFile2LameEnc::kVbrOff) ok = Mp3FormatSupported(settings_.sampleRate, settings_.bitRate, settings_.channels);
    if (!ok) FailCreate("MP3 does not allow " + Describe(settings_));
  }

  void Configure() {
    lame_global_flags* lame = lame_.get();
    lame_set_errorf(lame, Silent);
    lame_set_debugf(lame, Silent);
    lame_set_msgf(lame, Silent);
    lame_set_in_samplerate(lame, settings_.sampleRate);
    lame_set_out_samplerate(lame, settings_.sampleRate);
    lame_set_num_channels(lame, settings_.channels);
    if (settings_.channels == 1) lame_set_mode(lame, MONO);
    lame_set_quality(lame, ClampToRange(settings_.quality, 0, 9));
    lame_set_bWriteVbrTag(lame, NeedsOwnInfoFrame() ? 0 : 1);
    lame_set_write_id3tag_automatic(lame, 0);
    if (settings_.vbrMethod == TAudioFile2LameEnc::kVbrOff) {
      lame_set_VBR(lame, vbr_off);
      lame_set_brate(lame, settings_.bitRate);
    } else {
      const std::vector<int>& rates = VersionForRate(settings_.sampleRate)->bitRates;
      lame_set_VBR(lame, vbr_default);
      lame_set_VBR_q(lame, ClampToRange(settings_.vbrQuality, 0, 9));
      lame_set_VBR_max_bitrate_kbps(lame, ClampToRange(settings_.vbrBitRate, rates.front(), rates.back()));
    }
  }

  int EncodeChunk(const int16_t* samples, int frames) {
    unsigned char* out = mp3Buffer_.data();
    int size = static_cast<int>(mp3Buffer_.size());
    // The interleaved entry point assumes two channels; mono goes through the planar one.
    if (settings_.channels == 1)
      return lame_encode_buffer(lame_.get(), samples, samples, frames, out, size);
    return lame_encode_buffer_interleaved(lame_.get(), const_cast<short*>(samples), frames, out, size);
  }

  void FlushAndTag() {
    int bytes = lame_encode_flush(lame_.get(), mp3Buffer_.data(), static_cast<int>(mp3Buffer_.size()));
    if (bytes < 0) FailWrite("the MP3 encoder failed (LAME error " + std::to_string(bytes) + ")");
    AppendAudio(static_cast<size_t>(bytes));
    if (ownInfoFrame_.Valid()) {
      std::vector<uint8_t> frame = ownInfoFrame_.Build(InfoFields());
      file_.OverwriteAt(0, frame.data(), frame.size());
      return;
    }
    // The info frame takes the place of the placeholder frame LAME emitted first.
    size_t tagSize = lame_get_lametag_frame(lame_.get(), mp3Buffer_.data(), mp3Buffer_.size());
    if (tagSize > 0 && tagSize <= mp3Buffer_.size()) file_.OverwriteAt(0, mp3Buffer_.data(), tagSize);
  }

  // Decided before LAME settles the stereo mode: the room the tag needs depends only on
  // whether the stream is mono.
  bool NeedsOwnInfoFrame() const {
    if (settings_.vbrMethod != TAudioFile2LameEnc::kVbrOff) return false;
    return !Mp3InfoFrame::FitsInFrameOf(settings_.sampleRate, settings_.channels == 1 ? 3 : 1, settings_.bitRate);
  }

  // Header mode field of the stream: 0 stereo, 1 joint stereo, 2 dual channel, 3 mono.
  int ChannelMode() const {
    switch (lame_get_mode(lame_.get())) {
      case STEREO: return 0;
      case DUAL_CHANNEL: return 2;
      case MONO: return 3;
      default: return 1;
    }
  }

  // At constant rates too low for LAME's info frame, a frame of ours stands before the audio:
  // written now with empty counts, so that Finish only fills it in.
  void ReserveOwnInfoFrame() {
    ownInfoFrame_ = Mp3InfoFrame();
    audioBytes_ = 0;
    musicCrc_ = 0;
    if (!NeedsOwnInfoFrame()) return;
    ownInfoFrame_ = Mp3InfoFrame(settings_.sampleRate, ChannelMode());
    std::vector<uint8_t> placeholder = ownInfoFrame_.Build(Mp3InfoFields{});
    file_.Append(placeholder.data(), placeholder.size());
  }

  void AppendAudio(size_t bytes) {
    file_.Append(mp3Buffer_.data(), bytes);
    audioBytes_ += bytes;
    if (ownInfoFrame_.Valid()) musicCrc_ = Mp3TagCrc16(mp3Buffer_.data(), bytes, musicCrc_);
  }

  Mp3InfoFields InfoFields() const {
    Mp3InfoFields f;
    f.encoderVersion = get_lame_short_version();
    f.audioFrames = static_cast<uint32_t>(lame_get_frameNum(lame_.get()));
    f.streamBytes = static_cast<uint32_t>(audioBytes_ + ownInfoFrame_.Size());
    f.encoderDelay = lame_get_encoder_delay(lame_.get());
    f.encoderPadding = lame_get_encoder_padding(lame_.get());
    f.bitRateKbps = settings_.bitRate;
    f.lowpassHz = lame_get_lowpassfreq(lame_.get());
    f.quality = 100 - 10 * lame_get_VBR_q(lame_.get()) - lame_get_quality(lame_.get());
    f.athType = lame_get_ATHtype(lame_.get());
    f.musicCrc = musicCrc_;
    return f;
  }

  Mp3Settings settings_;
  LameHandle lame_;
  EncoderOutputFile file_;
  std::vector<unsigned char> mp3Buffer_;
  Mp3InfoFrame ownInfoFrame_;  // valid only while a file of ours needs it
  uint64_t audioBytes_ = 0;
  uint16_t musicCrc_ = 0;
};

}  // namespace

std::unique_ptr<EncoderBackend> MakeMp3Encoder(const Mp3Settings& settings) {
  return std::make_unique<Mp3Encoder>(settings);
}

bool Mp3FormatSupported(int sampleRate, int bitRateKbps, int channels) {
  if (channels != 1 && channels != 2) return false;
  const MpegVersion* version = VersionForRate(sampleRate);
  if (!version) return false;
  return std::find(version->bitRates.begin(), version->bitRates.end(), bitRateKbps) != version->bitRates.end();
}
