// Reads the descriptive texts straight from an ASF header, for files that the attribute
// layer cannot open (a damaged data part, a missing mandatory header object).
//
// Two header layouts are understood:
// - the standard ASF one that current writers produce: header object 75B22630-668E-11CF-
//   A6D9-00AA0062CE6C (24-byte prefix, object count, two reserved bytes), holding the content
//   description object (five 16-bit byte lengths, then title, author, copyright, description
//   and rating in UTF-16LE) and the extended content description object (a count, then
//   name / type / value entries);
// - the early layout with header object D6E229D1-35DA-11D1-9034-00A0C90349BE, whose inner
//   objects follow the 24-byte prefix directly, and whose description object
//   D6E229D5-35DA-11D1-9034-00A0C90349BE holds a count of entries, each a kind byte, four
//   unused bytes, name and value lengths in characters, then name and value in UTF-16LE.
// Every object is bounded by its parent and every parent by the bytes really present, so lying
// sizes and counts end the walk (keeping what was read) instead of reading past the data.
// Attributes kept in the header extension's metadata objects are not looked at: writers put
// the descriptive texts into the two description objects.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Random-access bytes that the walk reads from.
class AsfByteSource {
 public:
  virtual ~AsfByteSource() = default;
  virtual uint64_t size() const = 0;
  // Copies exactly `count` bytes from `offset`; false when they are not all there.
  virtual bool readAt(uint64_t offset, uint8_t* out, size_t count) = 0;
};

class AsfBufferSource : public AsfByteSource {
 public:
  AsfBufferSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, uint8_t* out, size_t count) override;

 private:
  const uint8_t* data_;
  size_t size_;
};

class AsfFileSource : public AsfByteSource {
 public:
  // Null when the path is not a regular file that can be opened for reading.
  static std::unique_ptr<AsfFileSource> Open(const std::string& path);
  ~AsfFileSource() override;
  AsfFileSource(const AsfFileSource&) = delete;
  AsfFileSource& operator=(const AsfFileSource&) = delete;
  uint64_t size() const override { return size_; }
  bool readAt(uint64_t offset, uint8_t* out, size_t count) override;

 private:
  AsfFileSource(int fd, uint64_t size) : fd_(fd), size_(size) {}
  int fd_;
  uint64_t size_;
};

struct AsfHeaderTags {
  bool found = false;  // the data starts with a header object
  std::string title, artist, copyright, comment, album, year, genre;  // UTF-8
  uint32_t track = 0;  // "WM/TrackNumber", else "WM/Track"
};

AsfHeaderTags WalkAsfHeader(AsfByteSource& source);
