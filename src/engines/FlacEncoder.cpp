// FLAC output through libFLAC: the chosen compression level, STREAMINFO with the MD5 of the
// audio (libFLAC's default) and a seek table, both completed when the file is finished.
//
// Up to 16 bits the engine hands over 16-bit samples, scaled to 8 bits where asked; 24-bit
// outputs take the engine's float samples, which carry a 24-bit source's every bit.
#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "engines/EmptiedOutputFile.h"
#include "engines/EncoderBase.h"
#include "engines/EngineError.h"
#include "engines/FlacSeekTable.h"
#include "engines/LibraryHandles.h"

namespace {

constexpr int kEngineBits = 16;
constexpr int kFlacMaxChannels = 8;
constexpr int kMaxBits = 24;
constexpr double kFullScale24 = 8388608.0;  // 2^23

// Interleaved engine samples as libFLAC wants them: one int32 plane per channel at `bits`.
// Planes rather than interleaved samples: libFLAC then copies whole runs, which keeps the
// conversion as cheap as the flac tool's own.
// Float samples (full scale ±1.0) as 24-bit integer planes, rounded and clipped.
void ToFlacPlanes(const float* in, size_t frames, std::vector<std::vector<FLAC__int32>>& planes) {
  const size_t channels = planes.size();
  for (size_t c = 0; c < channels; ++c) {
    std::vector<FLAC__int32>& plane = planes[c];
    plane.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
      const double scaled = std::lround(static_cast<double>(in[i * channels + c]) * kFullScale24);
      plane[i] = static_cast<FLAC__int32>(std::clamp(scaled, -kFullScale24, kFullScale24 - 1));
    }
  }
}

void ToFlacPlanes(const int16_t* in, size_t frames, int bits, std::vector<std::vector<FLAC__int32>>& planes) {
  const size_t channels = planes.size();
  const int shift = bits - kEngineBits;
  for (size_t c = 0; c < channels; ++c) {
    std::vector<FLAC__int32>& plane = planes[c];
    plane.resize(frames);
    const int16_t* from = in + c;
    if (shift == 0) {
      for (size_t i = 0; i < frames; ++i) plane[i] = from[i * channels];
    } else if (shift > 0) {
      for (size_t i = 0; i < frames; ++i) plane[i] = from[i * channels] * (1 << shift);
    } else {
      for (size_t i = 0; i < frames; ++i) plane[i] = from[i * channels] >> -shift;
    }
  }
}

class FlacEncoder final : public EncoderBase {
 public:
  explicit FlacEncoder(const FlacSettings& settings)
      : EncoderBase("FLAC", {settings.sampleRate, settings.channels,
                             settings.bitsPerSample > kEngineBits ? SampleType::kFloat : SampleType::kS16}),
        settings_(settings) {}
  ~FlacEncoder() override { FinishQuietly(); }

 private:
  void StartOutput() override {
    if (!FlacFormatSupported(settings_) || settings_.sampleRate == 0 || settings_.channels == 0 ||
        settings_.bitsPerSample == 0)
      FailCreate("FLAC does not allow " + std::to_string(settings_.sampleRate) + " Hz, " +
                 std::to_string(settings_.channels) + " channels, " +
                 std::to_string(settings_.bitsPerSample) + " bits, level " +
                 std::to_string(settings_.compression));
    encoder_.reset(FLAC__stream_encoder_new());
    seekTableBlock_.reset(FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE));
    if (!encoder_ || !seekTableBlock_ ||
        !FLAC__metadata_object_seektable_template_append_placeholders(seekTableBlock_.get(),
                                                                      FlacSeekTable::kPoints))
      FailCreate("out of memory for the FLAC encoder");
    seekTable_.emplace(&seekTableBlock_->data.seek_table, settings_.sampleRate);
    Configure();
    file_.reset(OpenEmptiedOutput(Path(), true));
    if (!file_) FailCreate(std::strerror(errno));
    std::setvbuf(file_.get(), nullptr, _IOFBF, 1 << 16);  // the headers fit before the first flush
    FLAC__StreamEncoderInitStatus status = FLAC__stream_encoder_init_stream(
        encoder_.get(), &FlacEncoder::WriteBytes, &FlacEncoder::SeekTo, &FlacEncoder::Tell,
        nullptr, this);
    if (status == FLAC__STREAM_ENCODER_INIT_STATUS_ENCODER_ERROR) FailWrite(StateText());
    if (status != FLAC__STREAM_ENCODER_INIT_STATUS_OK)
      FailCreate(std::string("the FLAC encoder cannot start: ") +
                 FLAC__StreamEncoderInitStatusString[status]);
  }

  void Configure() {
    FLAC__StreamEncoder* e = encoder_.get();
    FLAC__stream_encoder_set_channels(e, static_cast<unsigned>(settings_.channels));
    FLAC__stream_encoder_set_bits_per_sample(e, static_cast<unsigned>(settings_.bitsPerSample));
    FLAC__stream_encoder_set_sample_rate(e, static_cast<unsigned>(settings_.sampleRate));
    FLAC__stream_encoder_set_compression_level(e, static_cast<unsigned>(settings_.compression));
    FLAC__StreamMetadata* blocks[1] = {seekTableBlock_.get()};
    FLAC__stream_encoder_set_metadata(e, blocks, 1);
  }

  void Encode(const int16_t* samples, size_t frames) override {
    planes_.resize(static_cast<size_t>(settings_.channels));
    ToFlacPlanes(samples, frames, settings_.bitsPerSample, planes_);
    Process(frames);
  }

  void EncodeFloat(const float* samples, size_t frames) override {
    planes_.resize(static_cast<size_t>(settings_.channels));
    ToFlacPlanes(samples, frames, planes_);
    Process(frames);
  }

  void Process(size_t frames) {
    std::vector<const FLAC__int32*> starts;
    for (const std::vector<FLAC__int32>& plane : planes_) starts.push_back(plane.data());
    if (!FLAC__stream_encoder_process(encoder_.get(), starts.data(), static_cast<unsigned>(frames)))
      FailWrite(StateText());
  }

  void CompleteOutput() override {
    // finish writes the last frame and then rewrites STREAMINFO (length, MD5) and the table.
    bool ok = FLAC__stream_encoder_finish(encoder_.get());
    if (!ok || writeFailed_) FailWrite(StateText());
    if (!CloseStdioFile(file_)) FailWrite(std::strerror(errno));
  }

  void DropOutput() noexcept override {
    encoder_.reset();  // deleting an unfinished encoder finishes it: the file must stay open
    seekTable_.reset();
    seekTableBlock_.reset();
    file_.reset();
    samplesWritten_ = position_ = audioOffset_ = 0;
    writeFailed_ = false;
  }

  std::string StateText() const {
    if (writeFailed_) return std::strerror(writeErrno_ ? writeErrno_ : EIO);
    return std::string("the FLAC encoder failed: ") +
           FLAC__stream_encoder_get_resolved_state_string(encoder_.get());
  }

  static FLAC__StreamEncoderWriteStatus WriteBytes(const FLAC__StreamEncoder*,
                                                   const FLAC__byte buffer[], size_t bytes,
                                                   unsigned samples, unsigned, void* self) {
    auto* me = static_cast<FlacEncoder*>(self);
    const uint64_t position = me->position_;
    me->position_ += bytes;
    if (std::fwrite(buffer, 1, bytes, me->file_.get()) != bytes) {
      me->writeFailed_ = true;
      me->writeErrno_ = errno;
      return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    }
    if (samples > 0) me->NoteFrame(position, samples);
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
  }

  void NoteFrame(uint64_t position, unsigned samples) {
    if (samplesWritten_ == 0) audioOffset_ = position;
    seekTable_->NoteFrame(samplesWritten_, position - audioOffset_, samples);
    samplesWritten_ += samples;
  }

  static FLAC__StreamEncoderSeekStatus SeekTo(const FLAC__StreamEncoder*, FLAC__uint64 offset,
                                              void* self) {
    auto* me = static_cast<FlacEncoder*>(self);
    if (std::fseek(me->file_.get(), static_cast<long>(offset), SEEK_SET) != 0)
      return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    me->position_ = offset;
    return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
  }

  static FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset,
                                            void* self) {
    // Counted rather than asked of the stream, which may be a device that cannot tell.
    *offset = static_cast<FlacEncoder*>(self)->position_;
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
  }

  FlacSettings settings_;
  // Released in reverse: the encoder writes to the file and holds the seek table block.
  FileHandle file_;
  FlacMetadataHandle seekTableBlock_;
  std::optional<FlacSeekTable> seekTable_;
  FlacEncoderHandle encoder_;
  std::vector<std::vector<FLAC__int32>> planes_;
  uint64_t samplesWritten_ = 0;
  uint64_t position_ = 0;  // where the next byte goes
  uint64_t audioOffset_ = 0;
  bool writeFailed_ = false;
  int writeErrno_ = 0;
};

}  // namespace

std::unique_ptr<EncoderBackend> MakeFlacEncoder(const FlacSettings& settings) {
  return std::make_unique<FlacEncoder>(settings);
}

bool FlacFormatSupported(const FlacSettings& s) {
  if (s.compression < 0 || s.compression > kFlacMaxCompression) return false;
  if (s.channels < 0 || s.channels > kFlacMaxChannels) return false;
  if (s.bitsPerSample != 0 && s.bitsPerSample != 8 && s.bitsPerSample != 16 &&
      s.bitsPerSample != kMaxBits)
    return false;
  return s.sampleRate == 0 ||
         (s.sampleRate > 0 && FLAC__format_sample_rate_is_valid(static_cast<unsigned>(s.sampleRate)));
}
