// The output file of the MP3 and OGG encoders: a plain stdio stream whose every failure
// becomes an EngineError naming the path and the system's reason.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "engines/EngineError.h"

class EncoderOutputFile {
 public:
  EncoderOutputFile() = default;
  ~EncoderOutputFile() {
    if (file_) std::fclose(file_);
  }
  EncoderOutputFile(const EncoderOutputFile&) = delete;
  EncoderOutputFile& operator=(const EncoderOutputFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  void Create(const std::string& path) {
    if (file_) throw EngineError("Cannot create " + path + ": " + path_ + " is still open");
    path_ = path;
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) throw EngineError("Cannot create " + path + ": " + std::strerror(errno));
  }

  void Append(const void* data, size_t size) {
    if (size == 0) return;
    if (std::fwrite(data, 1, size, file_) != size) FailWrite();
  }

  // Overwrites bytes already written (info frames that are known only at the end).
  void OverwriteAt(long offset, const void* data, size_t size) {
    if (std::fseek(file_, offset, SEEK_SET) != 0) FailWrite();
    Append(data, size);
    if (std::fseek(file_, 0, SEEK_END) != 0) FailWrite();
  }

  // Closes the stream; a failing close (delayed write error, full disk) is reported.
  void Close() {
    if (!file_) return;
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) throw EngineError("Cannot write " + path_ + ": " + std::strerror(errno));
  }

 private:
  [[noreturn]] void FailWrite() {
    int error = errno;
    throw EngineError("Cannot write " + path_ + ": " + std::strerror(error ? error : EIO));
  }

  std::FILE* file_ = nullptr;
  std::string path_;
};
