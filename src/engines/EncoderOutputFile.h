// The output file of the MP3, OGG and WAV encoders: a plain stdio stream whose every failure
// becomes an EngineError naming the path and the system's reason.
#pragma once

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "engines/EmptiedOutputFile.h"
#include "engines/EngineError.h"
#include "engines/LibraryHandles.h"

class EncoderOutputFile {
 public:
  bool IsOpen() const { return file_ != nullptr; }

  void Create(const std::string& path) {
    if (file_) throw EngineError("Cannot create " + path + ": " + path_ + " is still open");
    path_ = path;
    file_.reset(OpenEmptiedOutput(path));
    if (!file_) throw EngineError("Cannot create " + path + ": " + std::strerror(errno));
    std::setvbuf(file_.get(), nullptr, _IOFBF, 1 << 16);
  }

  void Append(const void* data, size_t size) {
    if (size == 0) return;
    if (std::fwrite(data, 1, size, file_.get()) != size) FailWrite();
  }

  // Overwrites bytes already written (headers and info frames known only at the end).
  void OverwriteAt(long offset, const void* data, size_t size) {
    if (std::fseek(file_.get(), offset, SEEK_SET) != 0) FailWrite();
    Append(data, size);
    if (std::fseek(file_.get(), 0, SEEK_END) != 0) FailWrite();
  }

  // Closes the stream; a failing close (delayed write error, full disk) is reported.
  void Close() {
    if (!file_) return;
    if (!CloseStdioFile(file_)) throw EngineError("Cannot write " + path_ + ": " + std::strerror(errno));
  }

  // Closes without reporting, for outputs that are given up.
  void Abandon() noexcept { file_.reset(); }

 private:
  [[noreturn]] void FailWrite() {
    int error = errno;
    throw EngineError("Cannot write " + path_ + ": " + std::strerror(error ? error : EIO));
  }

  FileHandle file_;
  std::string path_;
};
