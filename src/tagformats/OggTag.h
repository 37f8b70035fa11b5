// Vorbis comments of Ogg Vorbis files, through the program-wide current record.
#pragma once

#include <string>

#include "tagformats/TagError.h"

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

// Replaces the file's comments with the record's non-empty fields. Throws TagError
// ("Cannot open <name>: <reason>", "Cannot write comments: <reason>", …); the file is then
// left as it was. Returns false when the finished file could not be put in place.
bool WriteOGGTag(const std::string& fileName, const OGGTag& record);

// Fills `out` from the file's comments. Throws TagError when the file is not Ogg Vorbis.
void ReadOGGTag(const std::string& fileName, OGGTag& out);
