// WMA (ASF) attributes, through the program-wide current record of fixed-width fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct WMATagInfo {
  int32_t found;      // -1 when the reader found a tag source, else 0
  char year[128];
  uint16_t track;
  char artist[128];
  char title[128];
  char album[128];
  char comment[255];
  char copyright[128];
  char genre[32];
};

extern WMATagInfo current_wma_tag;

// Stores UTF-8 text into a fixed field: cut at a character boundary, always zero-terminated.
void SetWmaField(char* field, size_t capacity, const std::string& text);
template <size_t N>
void SetWmaField(char (&field)[N], const std::string& text) { SetWmaField(field, N, text); }
// The field's text up to its first zero byte.
std::string WmaFieldText(const char* field, size_t capacity);
template <size_t N>
std::string WmaFieldText(const char (&field)[N]) { return WmaFieldText(field, N); }

// Sets the seven attributes on the file. False when the file cannot be opened as ASF.
bool WriteWMATag(const std::string& fileName, const WMATagInfo& record);

// Fills `out` (zeroed first) from the file's attributes, by the header walk when the file
// cannot be opened otherwise. Never throws.
void ReadWMATag(const std::string& fileName, WMATagInfo& out);
