#include "tagformats/vorbis/VorbisComments.h"

#include <algorithm>

#include "tagformats/common/Base64.h"
#include "tagformats/common/CommentFields.h"
#include "tagformats/common/TagRecordBuilder.h"
#include "tagformats/vorbis/FlacPictureBlock.h"
#include "base/Utf8Repair.h"

namespace {

bool IsNameByte(unsigned char byte) { return (byte >= 32 && byte <= 60) || (byte >= 62 && byte <= 125); }

std::string AsciiLower(std::string text) {
  for (auto& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

// A picture comment's value: a FLAC picture block in base64.
void AddPictureComment(TagRecordBuilder& builder, const std::string& value) {
  const std::optional<std::vector<uint8_t>> block = DecodeBase64(value);
  if (!block) return;
  if (std::optional<TagPicture> picture = ParseFlacPictureBlock(block->data(), block->size()))
    builder.AddPicture(std::move(*picture));
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
  TagRecordBuilder builder;
  for (const auto& comment : comments) {
    if (comment.name.empty()) continue;
    if (AsciiLower(comment.name) == "metadata_block_picture") AddPictureComment(builder, comment.value);
    else builder.Add(KeyFromVorbisName(comment.name), comment.value);
  }
  return builder.Finish();
}

namespace {

void AddComment(vorbis_comment& block, const std::string& name, const std::string& value) {
  const std::string text = name + "=" + RepairUtf8(value);
  vorbis_comment_add(&block, text.c_str());
}

}  // namespace

void AddRecordComments(vorbis_comment& block, const Timerec& record) {
  for (const CommentField& field :
       RecordCommentFields(record, {"Title", "Artist", "Album", "TrackNumber", "Date", "Genre", "Comment"}))
    AddComment(block, field.name, field.value);
  for (const TagPicture& picture : record.extras.pictures)
    AddComment(block, "METADATA_BLOCK_PICTURE", EncodeBase64(BuildFlacPictureBlock(picture)));
}
