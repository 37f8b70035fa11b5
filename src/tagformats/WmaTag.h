// WMA (ASF) attributes, through the program-wide current record of fixed-width fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tagformats/WmaAudioInfo.h"

class AsfByteSource;

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

// Sets the seven attributes on the file. False when the file cannot be opened as ASF or the
// attributes cannot be stored. The file's permission bits are the same afterwards.
bool WriteWMATag(const std::string& fileName, const WMATagInfo& record);

// Fills `out` (zeroed first) from the file's attributes, by the header walk when the file
// cannot be opened otherwise. Never throws.
void ReadWMATag(const std::string& fileName, WMATagInfo& out);

// Fills `out` (zeroed first) by walking the header in `source` only.
void ReadWMATagFromHeader(AsfByteSource& source, WMATagInfo& out);

// The factory both operations open files with. Null stands for an attribute layer that is not
// available: reading then walks the header, writing does nothing and reports false.
using WmaAudioInfoFactory = std::unique_ptr<WmaAudioInfo> (*)(const std::string& fileName,
                                                              WmaAudioInfo::Mode mode);
void SetWmaAudioInfoFactory(WmaAudioInfoFactory factory);
WmaAudioInfoFactory GetWmaAudioInfoFactory();
