#include "tagformats/mp4/Mp4Module.h"

#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include <cstdlib>
#include <utility>

#include "tagformats/common/TagLibFileAccess.h"
#include "tagformats/generic/GenericTagReader.h"
#include "base/Utf8Repair.h"

namespace {

TagLib::String Utf8(const std::string& text) {
  return TagLib::String(RepairUtf8(text), TagLib::String::UTF8);
}

// "3" or "3/12" as trkn's number and total; nothing for a text without a leading number.
void SetTrack(TagLib::MP4::Tag& tag, const std::string& track) {
  char* end = nullptr;
  const long number = std::strtol(track.c_str(), &end, 10);
  if (end == track.c_str() || number <= 0 || number > 65535) return;
  long total = 0;
  if (*end == '/') total = std::strtol(end + 1, nullptr, 10);
  if (total < 0 || total > 65535) total = 0;
  tag.setItem("trkn", TagLib::MP4::Item(static_cast<int>(number), static_cast<int>(total)));
}

}  // namespace

Timerec Mp4Module::Read(const std::string& path) const { return GenericTagReader().Read(path); }

void Mp4Module::Write(const std::string& path, const Timerec& record) const {
  CheckTagFileReadable(path);
  TagLib::MP4::File file(path.c_str(), false);
  CheckTagFileValid(file, path, "MP4");
  TagLib::MP4::Tag& tag = *file.tag();
  TagLib::StringList names;
  for (const auto& [name, item] : tag.itemMap()) names.append(name);
  for (const TagLib::String& name : names) tag.removeItem(name);
  const std::pair<const char*, const std::string*> texts[] = {
      {"\xC2\xA9nam", &record.title}, {"\xC2\xA9" "ART", &record.artist},
      {"\xC2\xA9" "alb", &record.album}, {"\xC2\xA9" "day", &record.year},
      {"\xC2\xA9" "gen", &record.genre}, {"\xC2\xA9" "cmt", &record.comment}};
  for (const auto& [name, value] : texts)
    if (!value->empty()) tag.setItem(TagLib::String(name, TagLib::String::UTF8), TagLib::StringList(Utf8(*value)));
  SetTrack(tag, record.track);
  SaveTagFile(file, path);
}
