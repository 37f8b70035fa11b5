#include "tagformats/common/CommentFields.h"

#include "tagformats/common/TagFieldNames.h"
#include "tagformats/common/TagRecordBuilder.h"

namespace {

bool WrittenWithTheSeven(const std::string& key) {
  return SevenFieldMember(key) != nullptr || key == "TRACKTOTAL";
}

void AddAll(std::vector<CommentField>& fields, const std::string& name, const std::vector<std::string>& values) {
  for (const std::string& value : values)
    if (!value.empty()) fields.push_back(CommentField{name, value});
}

}  // namespace

std::vector<CommentField> RecordCommentFields(const Timerec& record, const SevenCommentNames& names) {
  std::vector<CommentField> fields;
  const NumberAndTotal track = TrackOf(record);
  const char* const sevenKeys[] = {"TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT"};
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string key = sevenKeys[i];
    AddAll(fields, names[i], key == "TRACKNUMBER" ? std::vector<std::string>{track.number} : RecordValues(record, key));
  }
  AddAll(fields, "TRACKTOTAL", {track.total});
  for (const TagFieldName& row : TagFieldNames()) {
    if (WrittenWithTheSeven(row.key) || *row.vorbis == '\0') continue;
    AddAll(fields, row.vorbis, record.extras.Values(row.key));
  }
  for (const std::string& key : UnmappedKeys(record.extras)) AddAll(fields, key, record.extras.Values(key));
  return fields;
}
