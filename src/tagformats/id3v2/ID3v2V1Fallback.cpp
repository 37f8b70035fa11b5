#include "tagformats/id3v2/ID3v2V1Fallback.h"

#include <string>

#include "tagformats/common/TextEncoding.h"
#include "tags/GenreNames.h"

namespace {

// A fixed-width ISO-8859-1 field, ended by its first zero byte, trimmed like ID3v2 text.
std::string FieldText(const uint8_t* field, size_t width) {
  size_t end = 0;
  while (end < width && field[end] != 0) ++end;
  size_t begin = 0;
  while (begin < end && field[begin] <= 32) ++begin;
  while (end > begin && field[end - 1] <= 32) --end;
  return Latin1ToUtf8(std::string(reinterpret_cast<const char*>(field + begin), end - begin));
}

}  // namespace

std::optional<Timerec> ParseID3v1Tag(const uint8_t* data, size_t size) {
  if (size < kID3v1TagSize) return std::nullopt;
  const uint8_t* tag = data + size - kID3v1TagSize;
  if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G') return std::nullopt;
  Timerec fields;
  fields.title = FieldText(tag + 3, 30);
  fields.artist = FieldText(tag + 33, 30);
  fields.album = FieldText(tag + 63, 30);
  fields.year = FieldText(tag + 93, 4);
  const uint8_t* comment = tag + 97;
  const bool hasTrack = comment[28] == 0 && comment[29] != 0;
  fields.comment = FieldText(comment, hasTrack ? 28 : 30);
  if (hasTrack) fields.track = std::to_string(comment[29]);
  const uint8_t genre = tag[127];
  if (genre < kGenreCount) fields.genre = genre_names[genre];
  return fields;
}
