// ID3v2.3 tags: written in front of finished MP3 files, read from MP3 files being listed.
// Both directions pass through the program-wide current record.
#pragma once

#include <string>

#include "tagformats/TagError.h"

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

// Fills current_id3_tag from the file's ID3v2 tag (or ID3v1 when there is none). Never throws:
// an unreadable file or a broken tag leaves empty or partial fields.
void ReadID3Tag(const std::string& fileName);

// Puts an ID3v2.3 tag with the record's seven frames in front of the file's content.
// Throws TagError("Cannot open file <name>") when the file cannot be rewritten.
void WriteID3Tag(const std::string& fileName, const ID3StructV2& record);
