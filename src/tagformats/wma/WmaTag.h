// The program-wide current WMA record and its two operations, over the WMA tag module.
#pragma once

#include <cstdint>
#include <string>

struct WMATagInfo {
  int32_t found = 0;  // -1 when the reader found a tag source, else 0
  std::string year;
  uint16_t track = 0;
  std::string artist;
  std::string title;
  std::string album;
  std::string comment;
  std::string copyright;
  std::string genre;
};

extern WMATagInfo current_wma_tag;

// Sets the record's attributes on the file (no track attribute for track 0). False when the
// file cannot be opened as ASF or the attributes cannot be stored.
bool WriteWMATag(const std::string& fileName, const WMATagInfo& record);

// Fills `out` (emptied first) from the file's attributes, by the header walk when the file
// cannot be opened otherwise. Never throws.
void ReadWMATag(const std::string& fileName, WMATagInfo& out);
