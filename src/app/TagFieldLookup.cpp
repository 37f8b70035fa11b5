#include "app/TagFieldLookup.h"

#include <algorithm>
#include <cctype>

namespace {

std::string LowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

// Short names people write in patterns for fields the extras keep under a longer key.
std::string ExtrasKey(const std::string& lowerName) {
  if (lowerName == "disc") return "DISCNUMBER";
  if (lowerName == "albumartistsort") return "ALBUMARTISTSORT";
  return UpperCase(lowerName);
}

}  // namespace

std::string TagFieldByName(const Timerec& record, const std::string& name) {
  const std::string key = LowerCase(name);
  if (key == "title") return record.title;
  if (key == "artist") return record.artist;
  if (key == "album") return record.album;
  if (key == "year") return record.year;
  if (key == "comment") return record.comment;
  if (key == "genre") return record.genre;
  if (key == "track") return record.track;
  // Every other field the source had ("albumartist", "composer", "discnumber", "date", ...).
  return record.extras.First(ExtrasKey(key));
}
