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
#include <string>
#include <vector>

struct TagPicture {
  uint8_t type = 3;  // the ID3v2 / FLAC picture type; 3 is the front cover
  std::string mimeType;
  std::string description;  // UTF-8
  std::vector<uint8_t> data;
};

bool operator==(const TagPicture& a, const TagPicture& b);
inline bool operator!=(const TagPicture& a, const TagPicture& b) { return !(a == b); }

struct TagExtras {
  std::multimap<std::string, std::string> fields;  // UTF-8 values; a key's values in order
  std::vector<TagPicture> pictures;

  bool empty() const { return fields.empty() && pictures.empty(); }
  // Appends a value behind the key's others; an empty value or key adds nothing.
  void Add(const std::string& key, const std::string& value);
  // The key's values, in order; none when it has no value.
  std::vector<std::string> Values(const std::string& key) const;
  // The key's first value, or "".
  std::string First(const std::string& key) const;
  bool Has(const std::string& key) const { return fields.count(key) != 0; }
  void Remove(const std::string& key) { fields.erase(key); }
};

bool operator==(const TagExtras& a, const TagExtras& b);
inline bool operator!=(const TagExtras& a, const TagExtras& b) { return !(a == b); }
