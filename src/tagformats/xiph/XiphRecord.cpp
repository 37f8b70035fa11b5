#include "tagformats/xiph/XiphRecord.h"

#include <taglib/flacpicture.h>
#include <taglib/xiphcomment.h>

#include "base/Utf8Repair.h"
#include "tagformats/common/CommentFields.h"

namespace {

TagLib::String Utf8(const std::string& text) { return TagLib::String(RepairUtf8(text), TagLib::String::UTF8); }

}  // namespace

void ReplaceXiphFields(TagLib::Ogg::XiphComment& comment, const Timerec& record) {
  comment.removeAllFields();
  for (const CommentField& field :
       RecordCommentFields(record, {"TITLE", "ARTIST", "ALBUM", "TRACKNUMBER", "DATE", "GENRE", "COMMENT"}))
    comment.addField(field.name, Utf8(field.value), false);
}

void ReplaceXiphPictures(TagLib::Ogg::XiphComment& comment, const Timerec& record) {
  comment.removeAllPictures();
  for (const TagPicture& picture : record.extras.pictures) comment.addPicture(NewFlacPicture(picture));
}

TagLib::FLAC::Picture* NewFlacPicture(const TagPicture& picture) {
  auto* block = new TagLib::FLAC::Picture();
  block->setType(static_cast<TagLib::FLAC::Picture::Type>(picture.type));
  block->setMimeType(Utf8(picture.mimeType));
  block->setDescription(Utf8(picture.description));
  block->setData(TagLib::ByteVector(reinterpret_cast<const char*>(picture.data.data()),
                                    static_cast<unsigned>(picture.data.size())));
  return block;
}
