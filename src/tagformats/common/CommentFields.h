// A tag record as the name=value pairs of Vorbis comments (Ogg Vorbis, Opus, FLAC), in the
// order every writer of them uses: the seven fields (each with its several values), the track
// total, every other mapped field under its Vorbis name, then the fields no format names under
// their own names. Pictures are not among them: each container keeps those its own way.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "tags/Timerec.h"

struct CommentField {
  std::string name;
  std::string value;  // as the record holds it; the writer makes it valid UTF-8
};

// The names the seven fields are written under, in the order title, artist, album, track
// number, date, genre, comment. Writers differ in case only, and keep theirs so that a record
// of the seven fields gives the bytes it always gave.
using SevenCommentNames = std::array<const char*, 7>;

std::vector<CommentField> RecordCommentFields(const Timerec& record, const SevenCommentNames& names);
