#include "app/cli/TagListing.h"

#include <set>
#include <vector>

#include "tagformats/common/TagFieldNames.h"
#include "tagformats/common/TagRecordBuilder.h"

namespace {

std::string Quoted(const std::string& value) {
  std::string out = "\"";
  for (char c : value) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out + "\"";
}

std::string FieldLine(const std::string& key, const std::vector<std::string>& values) {
  std::string line = "  " + key + ":";
  for (size_t i = 0; i < values.size(); ++i) line += (i == 0 ? " " : ", ") + Quoted(values[i]);
  return line + "\n";
}

const char* PictureTypeName(uint8_t type) {
  static const char* const kNames[] = {
      "other",       "file icon",  "other file icon", "front cover", "back cover", "leaflet page", "media",
      "lead artist", "artist",     "conductor",       "band",        "composer",   "lyricist",     "recording location",
      "during recording", "during performance", "video capture", "bright coloured fish", "illustration",
      "band logo",   "publisher logo"};
  return type < sizeof kNames / sizeof kNames[0] ? kNames[type] : "unknown type";
}

}  // namespace

std::string TagListing(const Timerec& record) {
  std::string text;
  std::set<std::string> listed;
  auto list = [&](const std::string& key) {
    if (!listed.insert(key).second) return;
    const std::vector<std::string> values = RecordValues(record, key);
    if (!values.empty()) text += FieldLine(key, values);
  };
  for (const TagFieldName& row : TagFieldNames()) list(row.key);
  for (const auto& [key, value] : record.extras.fields) list(key);
  for (const TagPicture& picture : record.extras.pictures)
    text += "  PICTURE: " + std::string(PictureTypeName(picture.type)) + ", " + picture.mimeType + ", " +
            Quoted(picture.description) + ", " + std::to_string(picture.size()) + " bytes\n";
  return text;
}
