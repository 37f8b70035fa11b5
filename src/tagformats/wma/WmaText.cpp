#include "tagformats/wma/WmaText.h"

#include <algorithm>
#include <cctype>

#include "tagformats/common/TextEncoding.h"

std::string Utf16LeToUtf8(const uint8_t* bytes, size_t byteCount) {
  std::u16string units = Utf16FromBytes(bytes, byteCount, false);
  units.resize(std::min(units.size(), units.find(u'\0')));
  return Utf16ToUtf8(units);
}

bool EqualsIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

uint32_t LeadingDecimal(const std::string& text) {
  size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  uint64_t value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
    value = value * 10 + static_cast<uint64_t>(text[pos] - '0');
    if (value > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(value);
}
