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
// the descriptive texts into the two description objects. A "WM/Picture" value holds the
// picture type, the image's length, MIME type and description (zero-terminated UTF-16LE) and
// the image.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tagformats/common/ByteSource.h"
#include "tags/TagExtras.h"

struct AsfHeaderTags {
  bool found = false;  // the data starts with a header object
  std::string title, artist, copyright, comment, album, year, genre;  // UTF-8
  uint32_t track = 0;  // "WM/TrackNumber", else "WM/Track"
  std::string trackTotal;  // from a track text such as "6/15"
  // Every other extended attribute as (name, text), numbers as decimal texts, in file order.
  std::vector<std::pair<std::string, std::string>> otherAttributes;
  std::vector<TagPicture> pictures;  // "WM/Picture"
};

AsfHeaderTags WalkAsfHeader(ByteSource& source);
