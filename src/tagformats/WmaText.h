// Text conversions at the ASF boundary: attribute values are UTF-16 little-endian there,
// UTF-8 everywhere else in the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Decodes UTF-16LE up to the first zero unit or the end; an odd last byte is ignored and an
// unpaired surrogate becomes U+FFFD, so any bytes give valid UTF-8.
std::string Utf16LeToUtf8(const uint8_t* bytes, size_t byteCount);

// Encodes UTF-8 as UTF-16 code units. False (and `out` unspecified) for text that is not
// well-formed UTF-8, so that a damaged field is refused rather than written as garbage.
bool Utf8ToUtf16(const std::string& text, std::u16string& out);

// Writes the units as UTF-16LE bytes.
void StoreUtf16Le(const std::u16string& units, uint8_t* out);

// ASCII case-insensitive equality, enough for attribute names.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// The leading decimal number of a text such as "7" or "7/12"; 0 when it does not start with
// a digit. Saturates instead of overflowing.
uint32_t LeadingDecimal(const std::string& text);
