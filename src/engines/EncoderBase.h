// What the four output encoders share: one output at a time, errors that name the file, an
// output given up at its first failure, and a Finish that is safe to repeat. Each encoder
// supplies the four steps below; the libraries' handles live in RAII owners
// (LibraryHandles.h), so giving an output up is only a matter of resetting them.
#pragma once

#include <string>

#include "engines/EncoderBackend.h"

class EncoderBase : public EncoderBackend {
 public:
  PcmFormat InputFormat() const final { return format_; }
  void Open(const std::string& path) final;
  void Write(const void* samples, size_t frames) final;
  void Finish() final;

 protected:
  // kind: "MP3", "OGG", … for the errors that have no file to name yet.
  EncoderBase(const char* kind, PcmFormat format) : kind_(kind), format_(format) {}
  // For the derived destructors: an output dropped without Finish is still completed.
  void FinishQuietly() noexcept;

  const std::string& Path() const { return path_; }
  [[noreturn]] void FailCreate(const std::string& reason) const;
  [[noreturn]] void FailWrite(const std::string& reason) const;

 private:
  // Sets up the library and creates the output file at Path().
  virtual void StartOutput() = 0;
  virtual void Encode(const int16_t* samples, size_t frames) = 0;
  // Only for an encoder whose format asks for float samples.
  virtual void EncodeFloat(const float* samples, size_t frames);
  // Flushes the library, completes the file and closes it, reporting every failure.
  virtual void CompleteOutput() = 0;
  // Releases the library's state and closes the file without reporting anything.
  virtual void DropOutput() noexcept = 0;

  const char* kind_;
  PcmFormat format_;
  std::string path_;
  bool open_ = false;
};
