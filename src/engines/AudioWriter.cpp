#include "engines/AudioWriter.h"

#include "engines/ChannelLayouts.h"
#include "engines/EngineError.h"

AudioWriter::AudioWriter(std::unique_ptr<EncoderBackend> backend, const std::string& path,
                         const PcmFormat& source)
    : backend_(std::move(backend)), path_(path), source_(source),
      target_(backend_->InputFormat()) {
  CheckSource(source_);
  ConfigureConverter();
  backend_->Open(path);
}

AudioWriter::~AudioWriter() {
  if (finished_) return;
  try {
    backend_->Finish();
  } catch (...) {
    // Destruction without Close: the file is left as far as it got.
  }
}

void AudioWriter::CheckSource(const PcmFormat& source) const {
  if (source.sampleRate <= 0 || source.sampleRate > 768000 || source.channels < 1 ||
      source.channels > kMaxChannels)
    throw EngineError("Cannot write " + path_ + ": unusable source format " +
                      std::to_string(source.sampleRate) + " Hz, " +
                      std::to_string(source.channels) + " channels");
}

void AudioWriter::ConfigureConverter() {
  PcmInputFormat input;
  input.sampleRate = source_.sampleRate;
  input.layout = DefaultLayout(source_.channels);
  input.sampleFormat = AvSampleFormat(source_.sampleType);
  try {
    converter_.Configure(input, target_.sampleRate, target_.channels, target_.sampleType,
                         backend_->WantsBestResampling() ? ResampleQuality::kBest
                                                         : ResampleQuality::kStandard);
  } catch (const EngineError& e) {
    throw EngineError("Cannot write " + path_ + ": " + e.what());
  }
}

void AudioWriter::SetSourceFormat(const PcmFormat& source) {
  if (source.sampleRate == source_.sampleRate && source.channels == source_.channels &&
      source.sampleType == source_.sampleType)
    return;
  CheckSource(source);
  Feed(converter_.Flush());
  source_ = source;
  ConfigureConverter();
}

void AudioWriter::Write(const uint8_t* bytes, size_t count) {
  const size_t frameBytes = static_cast<size_t>(BytesPerSample(source_.sampleType)) *
                            static_cast<size_t>(source_.channels);
  if (count % frameBytes != 0)
    throw EngineError("Cannot write " + path_ + ": a block of " + std::to_string(count) +
                      " bytes is not a whole number of " + std::to_string(frameBytes) +
                      "-byte frames");
  const uint8_t* planes[1] = {bytes};
  Feed(converter_.Convert(planes, static_cast<int>(count / frameBytes)));
}

void AudioWriter::Feed(const PcmSpan& span) {
  if (!span.frames) return;
  backend_->Write(span.bytes, span.frames);
  if (meter_) meter_->Add(span.bytes, span.frames);
}

// The meter sees what the encoder sees: the output's rate, channels and samples.
void AudioWriter::MeasureLoudness() {
  meter_ = std::make_unique<BackgroundMeter>(
      std::make_unique<LoudnessMeter>(target_.sampleRate, target_.channels, false),
      target_.sampleType, target_.channels);
}

std::unique_ptr<LoudnessMeter> AudioWriter::TakeMeter() {
  if (!meter_) return nullptr;
  std::unique_ptr<BackgroundMeter> meter = std::move(meter_);
  return meter->Finish();
}

void AudioWriter::Finish() {
  if (finished_) return;
  finished_ = true;
  try {
    Feed(converter_.Flush());
  } catch (...) {
    backend_->Finish();
    throw;
  }
  backend_->Finish();
}
