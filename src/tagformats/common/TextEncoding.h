// Conversions between the program's UTF-8 texts and the encodings tag formats store:
// ISO-8859-1, UTF-16 (either byte order). Malformed input never fails: a broken UTF-8
// sequence or an unpaired surrogate becomes U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

constexpr char32_t kReplacementCharacter = 0xFFFD;

// Decodes the code point at *pos and moves *pos past it; a malformed sequence yields
// U+FFFD and consumes one byte. *pos must be below text.size().
char32_t DecodeUtf8At(const std::string& text, size_t* pos);
void AppendUtf8(std::string* out, char32_t codePoint);

// True when every character of the UTF-8 text lies in U+0000..U+00FF.
bool FitsLatin1(const std::string& utf8);
// Characters beyond U+00FF become `replacement`.
std::string Utf8ToLatin1(const std::string& utf8, char replacement = '?');
std::string Latin1ToUtf8(const std::string& latin1);

std::u16string Utf8ToUtf16(const std::string& utf8);
std::string Utf16ToUtf8(const std::u16string& utf16);

// Reads size / 2 code units; an odd last byte is ignored.
std::u16string Utf16FromBytes(const uint8_t* data, size_t size, bool bigEndian);
void AppendUtf16Bytes(std::vector<uint8_t>* out, const std::u16string& text, bool bigEndian);
// Utf8ToUtf16 and AppendUtf16Bytes little-endian in one pass, for long texts.
void AppendUtf8AsUtf16Le(std::vector<uint8_t>* out, const std::string& utf8);

// The text's length without a multi-byte sequence cut short at its end.
size_t Utf8CompleteLength(std::string_view utf8);

// At most maxCharacters characters (code points) from the front of the text.
std::string Utf8FirstCharacters(const std::string& utf8, size_t maxCharacters);

// The longest prefix length of at most maxBytes that does not split a UTF-8 character.
size_t Utf8CutLength(const std::string& utf8, size_t maxBytes);
// The longest prefix length of at most maxUnits that does not split a surrogate pair.
size_t Utf16CutLength(const std::u16string& utf16, size_t maxUnits);
