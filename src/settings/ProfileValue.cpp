#include "settings/ProfileValue.h"

#include <cstdint>
#include <limits>

namespace {

bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

std::string StripQuotes(const std::string& text) {
  if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
      text.back() == text.front())
    return text.substr(1, text.size() - 2);
  return text;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(const std::string& digits, int* result) {
  if (digits.empty()) return false;
  uint64_t value = 0;
  for (char c : digits) {
    int digit = HexDigit(c);
    if (digit < 0) return false;
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > std::numeric_limits<uint32_t>::max()) return false;
  }
  *result = static_cast<int>(static_cast<int32_t>(static_cast<uint32_t>(value)));
  return true;
}

bool ParseDecimal(const std::string& text, int* result) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  if (pos == text.size()) return false;
  const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                 : std::numeric_limits<int32_t>::max();
  int64_t magnitude = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return false;
    magnitude = magnitude * 10 + (text[pos] - '0');
    if (magnitude > limit) return false;
  }
  *result = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

}  // namespace

std::string CutProfileText(const std::string& text) {
  if (text.size() <= kMaxProfileTextLength) return text;
  // text[cut] is the first byte dropped; when it continues a character, drop that whole
  // character. A UTF-8 character has at most three continuation bytes.
  size_t cut = kMaxProfileTextLength;
  for (int step = 0; step < 3 && IsUtf8Continuation(static_cast<unsigned char>(text[cut])); ++step)
    --cut;
  if (IsUtf8Continuation(static_cast<unsigned char>(text[cut]))) cut = kMaxProfileTextLength;
  return text.substr(0, cut);
}

std::string DecodeProfileText(const std::string& stored) {
  std::string text = StripQuotes(stored);
  text = text.substr(0, text.find('\0'));
  return CutProfileText(text);
}

int ParseProfileInteger(const std::string& text, int fallback) {
  int result = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    return ParseHex(text.substr(2), &result) ? result : fallback;
  if (!text.empty() && text[0] == '$') return ParseHex(text.substr(1), &result) ? result : fallback;
  return ParseDecimal(text, &result) ? result : fallback;
}
