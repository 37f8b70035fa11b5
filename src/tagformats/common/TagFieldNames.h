// How the neutral keys of the tag record's extras are named in each tag format, following the
// mapping that music taggers publish and agree on. One row per field: its ID3v2.3 frame (or
// "TXXX:<description>", or "UFID:<owner>"), Vorbis comment name, ASF attribute name and MP4
// atom (or "----:<mean>:<name>"); an empty column means the format has no place for it.
#pragma once

#include <string>
#include <vector>

struct TagFieldName {
  const char* key;
  const char* id3v23;
  const char* vorbis;
  const char* asf;
  const char* mp4;
};

// Every mapped field, the seven fields of the record first.
const std::vector<TagFieldName>& TagFieldNames();

// The row of a neutral key; null for a key no format names (a field kept under its own name).
const TagFieldName* FieldByKey(const std::string& key);

// The neutral key for a name read from a file, compared without regard to ASCII case:
// the table's names, the aliases that writers use besides them ("TOTALTRACKS", "ALBUM ARTIST",
// "ORGANIZATION", ID3v2.4 "TDRC", …), else the name itself upper-cased.
std::string KeyFromId3Frame(const std::string& frameIdOrTxxx);
std::string KeyFromVorbisName(const std::string& name);
std::string KeyFromAsfName(const std::string& name);
// An MP4 atom or freeform name ("----:com.apple.iTunes:Acoustid Id"); a freeform item the
// table does not name is kept under its own name after the last ":".
std::string KeyFromMp4Name(const std::string& name);

// Fields that describe the source's own encoding (encoder settings, tool, gapless and
// loudness data of one encoder) and so do not belong to a converted file.
bool IsSourceEncodingKey(const std::string& key);

std::string AsciiUpper(std::string text);

// "3/12" → {"3", "12"}; "3" → {"3", ""}; spaces around either part dropped.
struct NumberAndTotal {
  std::string number;
  std::string total;
};
NumberAndTotal SplitNumberAndTotal(const std::string& text);
