// Random-access bytes that the tag readers walk: a file read piece by piece, so a tag of any
// size costs only what is read of it, or bytes already in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/FileDescriptor.h"

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  virtual uint64_t size() const = 0;
  // Copies exactly `count` bytes from `offset`; false when they are not all there.
  virtual bool readAt(uint64_t offset, uint8_t* out, size_t count) = 0;
  // A hint that the bytes will be read: a file asks the disk for them in one request.
  virtual void WillRead(uint64_t /*offset*/, uint64_t /*count*/) {}
};

class BufferByteSource : public ByteSource {
 public:
  BufferByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, uint8_t* out, size_t count) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

class FileByteSource : public ByteSource {
 public:
  // Null when the path is not a regular file that can be opened for reading.
  static std::unique_ptr<FileByteSource> Open(const std::string& path);
  FileByteSource(const FileByteSource&) = delete;
  FileByteSource& operator=(const FileByteSource&) = delete;
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, uint8_t* out, size_t count) override;
  void WillRead(uint64_t offset, uint64_t count) override;

 private:
  // Small reads are served from one larger read of the bytes that follow them: a tag's frame
  // headers and texts lie close together, and each read of its own would be a system call.
  // Two windows are kept, as a walk past a large picture looks at the frame after it before it
  // reads the picture's head, and then goes on after it.
  struct Window {
    std::vector<uint8_t> bytes;
    uint64_t start = 0;
    bool Holds(uint64_t offset, size_t count) const;
  };
  FileByteSource(FileDescriptor fd, uint64_t size) : fd_(std::move(fd)), size_(size) {}
  const Window* Refilled(uint64_t offset);
  FileDescriptor fd_;
  uint64_t size_;
  Window windows_[2];
  size_t lastUsed_ = 0;
};
