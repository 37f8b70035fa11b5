// Turning a Vorbis comment block into a tag record and back.
#pragma once

#include <string>
#include <vector>

#include <vorbis/codec.h>

#include "tags/Timerec.h"

// One comment as read: the name before the first "=", the value after it, and the whole text
// (name "=" value, or the value alone when there is no name).
struct TStrComment {
  std::string name;
  std::string value;
  std::string whole;
};
using TStrComments = std::vector<TStrComment>;

// Splits one comment's bytes. Without "=", or when a byte before it is not allowed in a name
// (outside 32..60 and 62..125), the whole text is the value. The value is repaired to UTF-8.
TStrComment ParseComment(const std::string& bytes);

TStrComments ParseCommentBlock(const vorbis_comment& block);

// Fills a record from parsed comments (see TagRecordBuilder): names compared without regard
// to case, several values of a name kept in order, pictures taken from METADATA_BLOCK_PICTURE.
// DESCRIPTION stands in for a missing COMMENT and YEAR for a missing DATE; a genre given as a
// number of the genre list becomes its name.
Timerec RecordFromComments(const TStrComments& comments);

// Adds the record's non-empty fields in the order title, artist, album, track number, date,
// genre, comment, each as "Key=value" in UTF-8 (a field's several values one after another),
// then the track total, every other field under its Vorbis name and the pictures.
void AddRecordComments(vorbis_comment& block, const Timerec& record);
