#include "tagformats/VorbisComments.h"

#include <algorithm>

#include "tagformats/VorbisUtf8.h"

namespace {

bool IsNameByte(unsigned char byte) { return (byte >= 32 && byte <= 60) || (byte >= 62 && byte <= 125); }

std::string AsciiLower(std::string text) {
  for (auto& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string TrimControlAndSpace(const std::string& text) {
  auto keep = [](char c) { return static_cast<unsigned char>(c) > 32; };
  auto first = std::find_if(text.begin(), text.end(), keep);
  auto last = std::find_if(text.rbegin(), text.rend(), keep).base();
  return first < last ? std::string(first, last) : std::string();
}

// The record field a lower-cased comment name fills, or null.
std::string* FieldFor(OGGTag& tag, const std::string& lowerName) {
  if (lowerName == "album") return &tag.album;
  if (lowerName == "title") return &tag.title;
  if (lowerName == "artist") return &tag.artist;
  if (lowerName == "comment") return &tag.comment;
  if (lowerName == "genre") return &tag.genre;
  if (lowerName == "date") return &tag.date;
  if (lowerName == "tracknumber") return &tag.tracknumber;
  return nullptr;
}

}  // namespace

TStrComment ParseComment(const std::string& bytes) {
  TStrComment comment;
  size_t equals = bytes.find('=');
  bool named = equals != std::string::npos &&
               std::all_of(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(equals),
                           [](char c) { return IsNameByte(static_cast<unsigned char>(c)); });
  if (named) {
    comment.name = bytes.substr(0, equals);
    comment.value = RepairUtf8(std::string_view(bytes).substr(equals + 1));
  } else {
    comment.value = RepairUtf8(bytes);
  }
  comment.whole = comment.name.empty() ? comment.value : comment.name + "=" + comment.value;
  return comment;
}

TStrComments ParseCommentBlock(const vorbis_comment& block) {
  TStrComments comments;
  if (block.comments <= 0 || !block.user_comments || !block.comment_lengths) return comments;
  comments.reserve(static_cast<size_t>(block.comments));
  for (int i = 0; i < block.comments; ++i) {
    const char* text = block.user_comments[i];
    int length = block.comment_lengths[i];
    comments.push_back(ParseComment(text && length > 0 ? std::string(text, static_cast<size_t>(length))
                                                       : std::string()));
  }
  return comments;
}

OGGTag OggTagFromComments(const TStrComments& comments) {
  OGGTag tag;
  for (const auto& comment : comments) {
    if (std::string* field = FieldFor(tag, AsciiLower(comment.name))) *field = comment.value;
  }
  for (std::string* field : {&tag.album, &tag.title, &tag.artist, &tag.comment, &tag.genre,
                             &tag.date, &tag.tracknumber})
    *field = TrimControlAndSpace(*field);
  return tag;
}

void AddOggTagComments(vorbis_comment& block, const OGGTag& record) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"Title=", &record.title}, {"Artist=", &record.artist},       {"Album=", &record.album},
      {"TrackNumber=", &record.tracknumber}, {"Date=", &record.date}, {"Genre=", &record.genre},
      {"Comment=", &record.comment}};
  for (const auto& [key, value] : fields) {
    if (value->empty()) continue;
    std::string text = key + RepairUtf8(*value);
    vorbis_comment_add(&block, text.c_str());
  }
}
