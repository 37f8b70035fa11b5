// The audio-info layer that WMA tag reading and writing goes through: open a file, read an
// attribute by name into a caller's fixed buffer, set attributes, and store them on close.
// Built on TagLib's ASF support.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace TagLib {
class FileStream;
namespace ASF {
class File;
}
}  // namespace TagLib

// Value type codes of attributes.
enum WmaAttributeType : uint32_t {
  kWmaTypeNumber = 0,  // 32-bit unsigned number, 4 bytes
  kWmaTypeText = 1,    // UTF-16LE with its terminating zero; length counts the zero
  kWmaTypeBinary = 2,
  kWmaTypeBool = 3,    // 32-bit, 0 or 1
  kWmaTypeQword = 4,   // 64-bit unsigned number
  kWmaTypeWord = 5,    // 16-bit unsigned number
  kWmaTypeGuid = 6,
};

// Results of the attribute operations; 0 is success.
enum WmaResult : int32_t {
  kWmaOk = 0,
  kWmaNotFound = 1,        // no such attribute in the file
  kWmaBufferTooSmall = 2,  // length then holds the bytes needed
  kWmaBadValue = 3,        // type and length do not describe a valid value
  kWmaReadOnly = 4,        // a property of the stream, not a settable attribute
  kWmaStoreFailed = 5,     // the file could not be written
};

// Size of the value buffer the tag reader passes.
constexpr uint16_t kWmaValueBufferSize = 256;

// The attribute names the module knows, in table order.
enum class WmaAttribute {
  Duration, Bitrate, Seekable, Broadcast, IsProtected, IsTrusted, SignatureName, Title, Author,
  Description, Rating, Copyright, UseDrm, DrmFlags, DrmLevel, AlbumTitle, Track, PromotionUrl,
  AlbumCoverUrl, Genre, Year, TrackNumber,
};
constexpr size_t kWmaAttributeCount = 22;

const std::array<std::u16string, kWmaAttributeCount>& WmaAttributeNames();
const std::u16string& WmaAttributeName(WmaAttribute attribute);

class WmaAudioInfo {
 public:
  enum class Mode { Read, ReadWrite };

  // Null when the file cannot be opened (for writing, in ReadWrite mode) or is not ASF.
  static std::unique_ptr<WmaAudioInfo> Open(const std::string& fileName, Mode mode);
  ~WmaAudioInfo();
  WmaAudioInfo(const WmaAudioInfo&) = delete;
  WmaAudioInfo& operator=(const WmaAudioInfo&) = delete;

  // `*length` is the capacity of `value` on entry and the bytes stored on success. A text
  // longer than the buffer is cut at a character boundary and still zero-terminated; any
  // other value that does not fit gives kWmaBufferTooSmall with the size needed in `*length`.
  int32_t GetAttributeByName(const std::u16string& name, uint32_t* type, uint8_t* value,
                             uint16_t* length) const;
  // `value` holds `length` bytes in the form its type code describes. Kept until Close.
  int32_t SetAttribute(const std::u16string& name, uint32_t type, const uint8_t* value,
                       uint16_t length);
  // Stores the attributes set since opening; nothing to store is success.
  int32_t Close();

 private:
  WmaAudioInfo(std::unique_ptr<TagLib::FileStream> stream, std::unique_ptr<TagLib::ASF::File> file);

  std::unique_ptr<TagLib::FileStream> stream_;
  std::unique_ptr<TagLib::ASF::File> file_;
  bool modified_ = false;
};
