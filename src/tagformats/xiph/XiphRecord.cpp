#include "tagformats/xiph/XiphRecord.h"

#include <taglib/xiphcomment.h>

#include <utility>

#include "base/Utf8Repair.h"

void ReplaceXiphFields(TagLib::Ogg::XiphComment& comment, const Timerec& record) {
  comment.removeAllFields();
  const std::pair<const char*, const std::string*> fields[] = {
      {"TITLE", &record.title},       {"ARTIST", &record.artist}, {"ALBUM", &record.album},
      {"TRACKNUMBER", &record.track}, {"DATE", &record.year},     {"GENRE", &record.genre},
      {"COMMENT", &record.comment}};
  for (const auto& [key, value] : fields) {
    if (value->empty()) continue;
    comment.addField(key, TagLib::String(RepairUtf8(*value), TagLib::String::UTF8), false);
  }
}
