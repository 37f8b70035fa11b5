// Text conversions at the ASF boundary: attribute values are UTF-16 little-endian there,
// UTF-8 everywhere else in the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Decodes UTF-16LE up to the first zero unit or the end; an odd last byte is ignored and an
// unpaired surrogate becomes U+FFFD, so any bytes give valid UTF-8.
std::string Utf16LeToUtf8(const uint8_t* bytes, size_t byteCount);

// ASCII case-insensitive equality, enough for attribute names.
bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b);

// The leading decimal number of a text such as "7" or "7/12"; 0 when it does not start with
// a digit. Saturates instead of overflowing.
uint32_t LeadingDecimal(const std::string& text);
