#include "engines/AudioReader.h"

#include <algorithm>
#include <cstring>

#include "engines/EngineError.h"

extern "C" {
#include <libavutil/frame.h>
}

AudioReader::AudioReader(const std::string& path)
    : path_(path), decoder_(path), channels_(std::min(decoder_.Channels(), 2)) {
  CheckFirstAudio();
}

void AudioReader::CheckFirstAudio() {
  opening_ = true;
  Refill(1);
  opening_ = false;
  if (BufferedFrames() == 0) throw EngineError("Cannot open " + path_ + ": the file has no audio");
}

int64_t AudioReader::DurationMs() const {
  return LengthFrames() * 1000 / SampleRate();
}

std::vector<uint8_t> AudioReader::Read(size_t maxFrames) {
  Refill(maxFrames);
  size_t frames = std::min(maxFrames, BufferedFrames());
  size_t samples = frames * channels_;
  std::vector<uint8_t> block(samples * sizeof(int16_t));
  if (samples) std::memcpy(block.data(), pending_.data() + head_, block.size());
  head_ += samples;
  return block;
}

void AudioReader::Refill(size_t frames) {
  // Drop what was handed out before growing, so the buffer stays near one block.
  if (head_ > 0) {
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(head_));
    head_ = 0;
  }
  while (!exhausted_ && BufferedFrames() < frames) {
    const AVFrame* frame = decoder_.NextFrame();
    if (!frame) {
      Append(converter_.Flush());
      exhausted_ = true;
      break;
    }
    ConvertFrame(*frame);
  }
}

void AudioReader::ConvertFrame(const AVFrame& frame) {
  PcmInputFormat input;
  input.sampleRate = frame.sample_rate > 0 ? frame.sample_rate : SampleRate();
  input.layout = frame.ch_layout;  // borrowed: Configure copies it
  input.sampleFormat = static_cast<AVSampleFormat>(frame.format);
  try {
    if (!converter_.Matches(input)) {
      // The stream changed format midway (chained Ogg, odd MP3): keep handing out the
      // format announced at open.
      if (converter_.IsConfigured()) Append(converter_.Flush());
      converter_.Configure(input, SampleRate(), channels_);
    }
    Append(converter_.Convert(frame.extended_data, frame.nb_samples));
  } catch (const EngineError& e) {
    throw EngineError(std::string(opening_ ? "Cannot open " : "Cannot decode ") + path_ +
                      ": cannot convert its " + std::to_string(input.layout.nb_channels) +
                      " channels at " + std::to_string(input.sampleRate) + " Hz to 16-bit " +
                      (channels_ == 1 ? "mono" : "stereo") + " (" + e.what() + ")");
  }
}

void AudioReader::Append(const PcmSpan& span) {
  pending_.insert(pending_.end(), span.samples, span.samples + span.frames * channels_);
}
