#include "tagformats/common/TagRecordBuilder.h"

#include <string_view>
#include <utility>

#include "tagformats/common/TagFieldNames.h"
#include "tags/GenreNames.h"

std::string Timerec::*SevenFieldMember(const std::string& name) {
  const std::string_view key = name;  // compared length first, without measuring the literals
  if (key == "TITLE") return &Timerec::title;
  if (key == "ARTIST") return &Timerec::artist;
  if (key == "ALBUM") return &Timerec::album;
  if (key == "DATE") return &Timerec::year;
  if (key == "COMMENT") return &Timerec::comment;
  if (key == "GENRE") return &Timerec::genre;
  if (key == "TRACKNUMBER") return &Timerec::track;
  return nullptr;
}

std::string TrimTagValue(std::string text) {
  size_t begin = 0, end = text.size();
  while (begin < end && static_cast<unsigned char>(text[begin]) <= 32) ++begin;
  while (end > begin && static_cast<unsigned char>(text[end - 1]) <= 32) --end;
  text.resize(end);
  text.erase(0, begin);
  return text;
}

void TagRecordBuilder::Add(const std::string& key, std::string value) {
  if (key.empty() || IsSourceEncodingKey(key)) return;
  std::string text = TrimTagValue(std::move(value));
  if (text.empty()) return;
  const std::string_view name = key;  // compared as a view: no call per literal
  if (name == "TRACKNUMBER" || name == "DISCNUMBER") {
    const NumberAndTotal parts = SplitNumberAndTotal(text);
    AddOne(key, parts.number);
    if (!parts.total.empty() && !Has(name == "TRACKNUMBER" ? "TRACKTOTAL" : "DISCTOTAL"))
      AddOne(name == "TRACKNUMBER" ? "TRACKTOTAL" : "DISCTOTAL", parts.total);
    return;
  }
  if (name == "GENRE") {
    for (const std::string& genre : GenreNamesFromReference(text)) AddOne(key, genre);
    return;
  }
  AddOne(key, std::move(text));
}

void TagRecordBuilder::AddOne(const std::string& key, std::string value) {
  if (value.empty()) return;
  if (std::string Timerec::*member = SevenFieldMember(key)) {
    std::string& field = record_.*member;
    if (field.empty()) {
      field = std::move(value);
      return;
    }
    // A track number is one number: a second one from another frame or attribute is noise.
    if (std::string_view(key) == "TRACKNUMBER" || field == value) return;
  }
  // Containers that keep a text in two places (ASF's content description and an extended
  // attribute of the same name) give it twice; it is one value.
  const auto [first, last] = record_.extras.fields.equal_range(key);
  for (auto known = first; known != last; ++known)
    if (known->second == value) return;
  record_.extras.Add(key, std::move(value));
}

void TagRecordBuilder::AddPicture(TagPicture picture) {
  if (picture.size() != 0) record_.extras.pictures.push_back(std::move(picture));
}

Timerec TagRecordBuilder::Finish() {
  Timerec record = std::move(record_);
  record_ = Timerec{};
  for (const auto& [standIn, key] : {std::pair<const char*, std::string Timerec::*>{"DESCRIPTION", &Timerec::comment},
                                     {"YEAR", &Timerec::year}}) {
    if (!(record.*key).empty() || !record.extras.Has(standIn)) continue;
    const std::vector<std::string> values = record.extras.Values(standIn);
    record.extras.Remove(standIn);
    record.*key = values.front();
    for (size_t i = 1; i < values.size(); ++i) record.extras.Add(key == &Timerec::comment ? "COMMENT" : "DATE", values[i]);
  }
  return record;
}

bool TagRecordBuilder::Has(const std::string& key) const {
  if (std::string Timerec::*member = SevenFieldMember(key)) return !(record_.*member).empty();
  return record_.extras.Has(key);
}

std::vector<std::string> RecordValues(const Timerec& record, const std::string& key) {
  std::vector<std::string> values;
  if (std::string Timerec::*member = SevenFieldMember(key)) {
    if (!(record.*member).empty()) values.push_back(record.*member);
  }
  for (std::string& value : record.extras.Values(key)) values.push_back(std::move(value));
  return values;
}

std::vector<std::string> UnmappedKeys(const TagExtras& extras) {
  std::vector<std::string> keys;
  for (auto it = extras.fields.begin(); it != extras.fields.end(); it = extras.fields.upper_bound(it->first))
    if (FieldByKey(it->first) == nullptr) keys.push_back(it->first);
  return keys;
}

namespace {

NumberAndTotal NumberWithTotal(const std::string& field, const std::string& total) {
  NumberAndTotal parts = SplitNumberAndTotal(field);
  if (parts.total.empty()) parts.total = total;
  return parts;
}

}  // namespace

NumberAndTotal TrackOf(const Timerec& record) {
  return NumberWithTotal(record.track, record.extras.First("TRACKTOTAL"));
}

NumberAndTotal DiscOf(const Timerec& record) {
  return NumberWithTotal(record.extras.First("DISCNUMBER"), record.extras.First("DISCTOTAL"));
}
