// The attribute layer that WMA tag reading goes through: open a file, read an attribute by
// name, set attributes, and store them on close. Built on TagLib's ASF support. Writing goes
// through our own header writer (AsfTagWriter), which stores the same bytes at a fraction of
// the cost; storing here remains the reference it is checked against.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tagformats/wma/WmaAttributeSink.h"
#include "tags/TagExtras.h"

namespace TagLib {
class FileStream;
namespace ASF {
class File;
}
}  // namespace TagLib

class WmaAudioInfo : public WmaAttributeSink {
 public:
  enum class Mode { Read, ReadWrite };

  // Null when the file cannot be opened (for writing, in ReadWrite mode) or is not ASF.
  static std::unique_ptr<WmaAudioInfo> Open(const std::string& fileName, Mode mode);
  ~WmaAudioInfo() override;
  WmaAudioInfo(const WmaAudioInfo&) = delete;
  WmaAudioInfo& operator=(const WmaAudioInfo&) = delete;

  // A text attribute, whole, as UTF-8; nullopt when the file has none of that name or its
  // value is not text. The descriptive texts of the content description object (Title,
  // Author, Description, Copyright, Rating) fall back to an extended attribute of the same
  // name when they are empty.
  std::optional<std::string> Text(WmaAttribute attribute) const;
  // A number attribute of any width (a boolean counts as 0 or 1), or a stream property
  // (Duration in 100-nanosecond units, Bitrate in bit/s, Is_Protected); nullopt otherwise.
  std::optional<uint64_t> Number(WmaAttribute attribute) const;

  // Every descriptive attribute as (name, text) in file order: the content description's
  // texts first, then the extended attributes, numbers and booleans as decimal texts; several
  // attributes of one name stay several. Stream properties, byte arrays and pictures are left
  // out.
  std::vector<std::pair<std::string, std::string>> AllTexts() const;
  // The "WM/Picture" attributes.
  std::vector<TagPicture> Pictures() const;

  bool SetText(WmaAttribute attribute, const std::string& utf8) override;
  bool SetNumber(WmaAttribute attribute, uint32_t value) override;
  void Remove(WmaAttribute attribute) override;
  void AddText(const std::string& name, const std::string& utf8) override;
  void AddPicture(const TagPicture& picture) override;
  bool Close() override;

 private:
  WmaAudioInfo(std::unique_ptr<TagLib::FileStream> stream, std::unique_ptr<TagLib::ASF::File> file);

  std::unique_ptr<TagLib::FileStream> stream_;
  std::unique_ptr<TagLib::ASF::File> file_;
  bool modified_ = false;
  bool firstValueStandsLast_ = false;  // see HeaderExtensionComesFirst
};
