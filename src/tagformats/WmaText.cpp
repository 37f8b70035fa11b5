#include "tagformats/WmaText.h"

#include <cctype>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes one well-formed UTF-8 sequence at `pos`; false for anything malformed (overlong
// forms, surrogates and values beyond U+10FFFF included).
bool DecodeUtf8(const std::string& text, size_t& pos, char32_t& cp) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  size_t extra;
  char32_t minimum;
  if (lead < 0x80) {
    cp = lead;
    ++pos;
    return true;
  } else if ((lead & 0xE0) == 0xC0) {
    extra = 1, minimum = 0x80, cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, minimum = 0x800, cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, minimum = 0x10000, cp = lead & 0x07;
  } else {
    return false;
  }
  if (text.size() - pos <= extra) return false;
  for (size_t i = 1; i <= extra; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) return false;
    cp = (cp << 6) | (byte(pos + i) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
  pos += extra + 1;
  return true;
}

}  // namespace

std::string Utf16LeToUtf8(const uint8_t* bytes, size_t byteCount) {
  std::string out;
  const size_t units = byteCount / 2;
  const auto unitAt = [&](size_t i) { return char32_t(bytes[2 * i] | (bytes[2 * i + 1] << 8)); };
  for (size_t i = 0; i < units; ++i) {
    const char32_t unit = unitAt(i);
    if (unit == 0) break;
    if (IsHighSurrogate(unit) && i + 1 < units && IsLowSurrogate(unitAt(i + 1))) {
      AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
      ++i;
    } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

bool Utf8ToUtf16(const std::string& text, std::u16string& out) {
  out.clear();
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    if (!DecodeUtf8(text, pos, cp)) return false;
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return true;
}

void StoreUtf16Le(const std::u16string& units, uint8_t* out) {
  for (size_t i = 0; i < units.size(); ++i) {
    out[2 * i] = static_cast<uint8_t>(units[i] & 0xFF);
    out[2 * i + 1] = static_cast<uint8_t>(units[i] >> 8);
  }
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
