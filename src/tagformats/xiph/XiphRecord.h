// A tag record as the Vorbis comments of a FLAC or Opus file, through TagLib. The same fields
// and order as the Vorbis module writes into OGG files.
#pragma once

#include <string>

#include "tags/Timerec.h"

namespace TagLib {
namespace FLAC {
class Picture;
}
namespace Ogg {
class XiphComment;
}
}  // namespace TagLib

// Removes every field (the vendor text stays) and adds every field of the record; pictures
// are left alone.
void ReplaceXiphFields(TagLib::Ogg::XiphComment& comment, const Timerec& record);
// Replaces the comment's METADATA_BLOCK_PICTURE pictures with the record's.
void ReplaceXiphPictures(TagLib::Ogg::XiphComment& comment, const Timerec& record);
// A FLAC picture block of the picture, owned by the caller (or by the TagLib object it is
// handed to).
TagLib::FLAC::Picture* NewFlacPicture(const TagPicture& picture);
