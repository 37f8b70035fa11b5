// The program-wide current OGG record and its two operations, over the Vorbis comment module.
#pragma once

#include <string>

#include "tagformats/common/TagError.h"

struct OGGTag {
  std::string album;
  std::string title;
  std::string artist;
  std::string comment;
  std::string genre;
  std::string date;
  std::string tracknumber;
};

extern OGGTag current_ogg_tag;

// Replaces the file's comments with the record's non-empty fields. Throws TagError with the
// reason when the file cannot be rewritten; the file is then left as it was. True otherwise.
bool WriteOGGTag(const std::string& fileName, const OGGTag& record);

// Fills `out` from the file's comments. Throws TagError when the file is not Ogg Vorbis.
void ReadOGGTag(const std::string& fileName, OGGTag& out);
