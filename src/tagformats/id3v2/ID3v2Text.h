// Text inside ID3v2 frames: the encoding byte in front of each text and the terminators
// that end a string in each encoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t kID3v2Latin1 = 0;
constexpr uint8_t kID3v2Utf16 = 1;    // with byte-order mark
constexpr uint8_t kID3v2Utf16BE = 2;  // no byte-order mark (version 2.4)
constexpr uint8_t kID3v2Utf8 = 3;     // version 2.4

// Decodes the first string of `data` (up to its terminator, if any) into UTF-8. A character
// cut short at the end of `data` is left out; an unknown encoding byte gives an empty text.
std::string DecodeID3v2Text(uint8_t encoding, const uint8_t* data, size_t size);

// Bytes taken by the first string of `data`, its terminator included; `size` when unterminated.
size_t ID3v2StringSpan(uint8_t encoding, const uint8_t* data, size_t size);

// Bytes of the terminator that ends a string in the given encoding.
size_t ID3v2TerminatorSize(uint8_t encoding);

struct EncodedID3v2Text {
  uint8_t encoding = kID3v2Latin1;
  std::vector<uint8_t> bytes;  // no terminator
};

// The text's first maxCharacters characters (code points): ISO-8859-1 when every one of them
// fits, else little-endian UTF-16 behind its byte-order mark.
EncodedID3v2Text EncodeID3v2Text(const std::string& utf8, size_t maxCharacters);

// An empty string with its terminator in the given encoding; UTF-16 keeps its byte-order mark
// even then, as readers expect one in front of every UTF-16 string.
std::vector<uint8_t> EmptyID3v2String(uint8_t encoding);
