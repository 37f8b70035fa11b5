// The writing side of TAudioFile2: takes interleaved blocks in the announced source
// format, converts them to what the output encoding wants and feeds its backend.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "engines/EncoderBackend.h"
#include "engines/BackgroundMeter.h"
#include "engines/LoudnessMeter.h"
#include "engines/PcmConverter.h"

class AudioWriter {
 public:
  // Opens the backend's output file at `path`.
  AudioWriter(std::unique_ptr<EncoderBackend> backend, const std::string& path,
              const PcmFormat& source);
  ~AudioWriter();

  void SetSourceFormat(const PcmFormat& source);
  // `bytes` must hold whole frames of the current source format.
  void Write(const uint8_t* bytes, size_t count);
  // Drains the resampler and completes the file. Closes the file even when it throws.
  void Finish();

  // From now on every frame the backend encodes also goes through a loudness meter (on a
  // thread of its own; integrated loudness and peaks only).
  void MeasureLoudness();
  // The meter, null when none was asked for; take it after Finish to have all of the output.
  std::unique_ptr<LoudnessMeter> TakeMeter();

 private:
  void CheckSource(const PcmFormat& source) const;
  void ConfigureConverter();
  void Feed(const PcmSpan& span);

  std::unique_ptr<EncoderBackend> backend_;
  std::string path_;
  PcmFormat source_;
  PcmFormat target_;
  PcmConverter converter_;
  bool finished_ = false;
  std::unique_ptr<BackgroundMeter> meter_;
};
