#include "engines/EncoderBase.h"

#include "engines/EngineError.h"

void EncoderBase::Open(const std::string& path) {
  if (open_)
    throw EngineError("Cannot create " + path + ": the " + kind_ + " encoder is already writing " + path_);
  path_ = path;
  try {
    StartOutput();
  } catch (...) {
    DropOutput();
    throw;
  }
  open_ = true;
}

void EncoderBase::Write(const void* samples, size_t frames) {
  if (!open_) throw EngineError(std::string("Cannot write ") + kind_ + ": no output file is open");
  try {
    if (format_.sampleType == SampleType::kFloat)
      EncodeFloat(static_cast<const float*>(samples), frames);
    else
      Encode(static_cast<const int16_t*>(samples), frames);
  } catch (...) {
    open_ = false;  // a failed output is given up; the following Finish has nothing to do
    DropOutput();
    throw;
  }
}

void EncoderBase::EncodeFloat(const float*, size_t) {
  FailWrite(std::string("the ") + kind_ + " encoder takes 16-bit samples only");
}

void EncoderBase::Finish() {
  if (!open_) return;
  open_ = false;
  try {
    CompleteOutput();
  } catch (...) {
    DropOutput();
    throw;
  }
  DropOutput();
}

void EncoderBase::FinishQuietly() noexcept {
  try {
    Finish();
  } catch (...) {
    // Finish has released everything before throwing; a destructor reports nothing.
  }
}

void EncoderBase::FailCreate(const std::string& reason) const {
  throw EngineError("Cannot create " + path_ + ": " + reason);
}

void EncoderBase::FailWrite(const std::string& reason) const {
  throw EngineError("Cannot write " + path_ + ": " + reason);
}
