// How the profile API turns stored text into what a read returns.
#pragma once

#include <string>

// Longest text a read returns; the profile API reads into a 2048-byte buffer.
constexpr size_t kMaxProfileTextLength = 2047;

// The text a read hands out for a stored value: one pair of matching quotes (' or ") around
// the whole value is dropped, the text ends at a NUL byte, and it is cut to
// kMaxProfileTextLength bytes without leaving half a UTF-8 character at the end.
std::string DecodeProfileText(const std::string& stored);

// Cuts to kMaxProfileTextLength bytes, backing off to a UTF-8 character boundary.
std::string CutProfileText(const std::string& text);

// Integer conversion of a read: an optional sign and decimal digits within the 32-bit range,
// or hexadecimal digits after "0x"/"0X" (only when the text is longer than 2 characters) or
// after "$", taken as a 32-bit pattern (0xFFFFFFFF is -1). Anything else yields `fallback`.
int ParseProfileInteger(const std::string& text, int fallback);
