// Everything a source's tags hold beyond the seven fields of the tag record, in a form that
// belongs to no tag format: named fields (a multimap from a neutral key to its values, in the
// order the source gave them) and pictures. The keys are the upper-case names of TagLib's
// property maps and Vorbis comments ("ALBUMARTIST", "DISCNUMBER", "REPLAYGAIN_TRACK_GAIN",
// "MUSICBRAINZ_TRACKID", …); a field no format names is kept under its own name, upper-cased.
// Under the key of one of the seven fields ("ARTIST", "GENRE", …) the extras hold that field's
// further values, the first one being the record's own field.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/AudioFormat.h"
#include "base/FileStamp.h"

// Where a listed row finds a picture's image again: a row keeps no image, as thousands of rows
// with large covers would hold gigabytes. The image is read from the source when an output is
// tagged, and only while the source is as it was when read.
struct PicturePlace {
  std::string path;
  AudioFormat format = AudioFormat::kOther;  // as the source was read
  FileStamp source;
  uint64_t size = 0;  // of the image
  // Where the image lies as it is in the source; without it (escaped or encoded in the tag)
  // the source's tags are read again and the picture of this rank among them is taken.
  std::optional<uint64_t> offset;
  size_t rank = 0;
};

bool operator==(const PicturePlace& a, const PicturePlace& b);

struct TagPicture {
  TagPicture() = default;
  TagPicture(uint8_t type, std::string mimeType, std::string description, std::vector<uint8_t> data)
      : type(type), mimeType(std::move(mimeType)), description(std::move(description)), data(std::move(data)) {}

  uint8_t type = 3;  // the ID3v2 / FLAC picture type; 3 is the front cover
  std::string mimeType;
  std::string description;  // UTF-8
  std::vector<uint8_t> data;  // the image; empty when the picture has a place instead
  std::optional<PicturePlace> place;

  uint64_t size() const { return place ? place->size : data.size(); }
};

// Equal pictures have the same description and image, or the same place for it.
bool operator==(const TagPicture& a, const TagPicture& b);
inline bool operator!=(const TagPicture& a, const TagPicture& b) { return !(a == b); }

struct TagExtras {
  std::multimap<std::string, std::string> fields;  // UTF-8 values; a key's values in order
  std::vector<TagPicture> pictures;

  bool empty() const { return fields.empty() && pictures.empty(); }
  // Appends a value behind the key's others; an empty value or key adds nothing.
  void Add(const std::string& key, std::string value);
  // The key's values, in order; none when it has no value.
  std::vector<std::string> Values(const std::string& key) const;
  // The key's first value, or "".
  std::string First(const std::string& key) const;
  bool Has(const std::string& key) const { return fields.count(key) != 0; }
  void Remove(const std::string& key) { fields.erase(key); }
};

bool operator==(const TagExtras& a, const TagExtras& b);
inline bool operator!=(const TagExtras& a, const TagExtras& b) { return !(a == b); }
