// A tag record as the Vorbis comments of a FLAC or Opus file, through TagLib. The same keys
// and order as the Vorbis module writes into OGG files.
#pragma once

#include <string>

#include "tags/Timerec.h"

namespace TagLib {
namespace Ogg {
class XiphComment;
}
}  // namespace TagLib

// Removes every field (the vendor text stays) and adds the record's non-empty ones.
void ReplaceXiphFields(TagLib::Ogg::XiphComment& comment, const Timerec& record);
