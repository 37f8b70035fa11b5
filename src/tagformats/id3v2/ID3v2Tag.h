// The program-wide current ID3 record and its two operations, over the ID3v2 tag module.
#pragma once

#include <string>

#include "tagformats/common/TagError.h"

struct ID3StructV2 {
  std::string title;
  std::string artist;
  std::string album;
  std::string year;
  std::string track;
  std::string comment;
  std::string genre;
};

extern ID3StructV2 current_id3_tag;

// Fills current_id3_tag from the file's tags. Never throws: a file that cannot be read
// leaves all fields empty.
void ReadID3Tag(const std::string& fileName);

// Puts an ID3v2.3 tag with the record's seven frames in front of the file's content.
// Throws TagError with the reason when the file cannot be rewritten.
void WriteID3Tag(const std::string& fileName, const ID3StructV2& record);
