#include "tagformats/vorbis/VorbisComments.h"

#include <algorithm>

#include "tagformats/vorbis/VorbisUtf8.h"
#include "tags/GenreNames.h"

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

// Where a lower-cased comment name goes. DESCRIPTION and YEAR fill fields of their own that
// count only when COMMENT or DATE is missing.
struct Collected {
  Timerec record;
  std::string description;
  std::string year;
};

std::string* FieldFor(Collected& c, const std::string& lowerName) {
  if (lowerName == "album") return &c.record.album;
  if (lowerName == "title") return &c.record.title;
  if (lowerName == "artist") return &c.record.artist;
  if (lowerName == "comment") return &c.record.comment;
  if (lowerName == "genre") return &c.record.genre;
  if (lowerName == "date") return &c.record.year;
  if (lowerName == "tracknumber") return &c.record.track;
  if (lowerName == "description") return &c.description;
  if (lowerName == "year") return &c.year;
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

Timerec RecordFromComments(const TStrComments& comments) {
  Collected c;
  for (const auto& comment : comments) {
    if (std::string* field = FieldFor(c, AsciiLower(comment.name))) *field = comment.value;
  }
  Timerec& r = c.record;
  for (std::string* field : {&r.album, &r.title, &r.artist, &r.comment, &r.genre, &r.year, &r.track,
                             &c.description, &c.year})
    *field = TrimControlAndSpace(*field);
  if (r.comment.empty()) r.comment = c.description;
  if (r.year.empty()) r.year = c.year;
  r.genre = GenreNameFromReference(r.genre);
  return r;
}

void AddRecordComments(vorbis_comment& block, const Timerec& record) {
  const std::pair<const char*, const std::string*> fields[] = {
      {"Title=", &record.title}, {"Artist=", &record.artist},       {"Album=", &record.album},
      {"TrackNumber=", &record.track}, {"Date=", &record.year}, {"Genre=", &record.genre},
      {"Comment=", &record.comment}};
  for (const auto& [key, value] : fields) {
    if (value->empty()) continue;
    std::string text = key + RepairUtf8(*value);
    vorbis_comment_add(&block, text.c_str());
  }
}
