#include "tags/TagExtras.h"

#include <utility>

bool operator==(const PicturePlace& a, const PicturePlace& b) {
  return a.path == b.path && a.format == b.format && a.source == b.source && a.size == b.size && a.offset == b.offset && a.rank == b.rank;
}

bool operator==(const TagPicture& a, const TagPicture& b) {
  return a.type == b.type && a.mimeType == b.mimeType && a.description == b.description && a.data == b.data &&
         a.place == b.place;
}

void TagExtras::Add(const std::string& key, std::string value) {
  if (!key.empty() && !value.empty()) fields.emplace(key, std::move(value));
}

std::vector<std::string> TagExtras::Values(const std::string& key) const {
  std::vector<std::string> values;
  const auto [begin, end] = fields.equal_range(key);
  for (auto it = begin; it != end; ++it) values.push_back(it->second);
  return values;
}

std::string TagExtras::First(const std::string& key) const {
  const auto found = fields.find(key);
  return found == fields.end() ? std::string() : found->second;
}

bool operator==(const TagExtras& a, const TagExtras& b) {
  return a.fields == b.fields && a.pictures == b.pictures;
}
