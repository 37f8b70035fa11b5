#include "tagformats/common/TextEncoding.h"

#include "base/Utf8Repair.h"

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

}  // namespace

char32_t DecodeUtf8At(const std::string& text, size_t* pos) {
  const size_t start = *pos;
  size_t length = 0;
  *pos += Utf8UnitLength(text, start, &length);
  if (*pos - start != length) return kReplacementCharacter;
  const unsigned char lead = static_cast<unsigned char>(text[start]);
  if (length == 1) return lead;
  char32_t value = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) value = (value << 6) | (static_cast<unsigned char>(text[start + i]) & 0x3F);
  return value;
}

void AppendUtf8(std::string* out, char32_t c) {
  if (c > 0x10FFFF || IsSurrogate(c)) c = kReplacementCharacter;
  if (c < 0x80) {
    out->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (c >> 6)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (c >> 12)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (c >> 18)));
    out->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

bool FitsLatin1(const std::string& utf8) {
  for (size_t pos = 0; pos < utf8.size();) {
    if (DecodeUtf8At(utf8, &pos) > 0xFF) return false;
  }
  return true;
}

std::string Utf8ToLatin1(const std::string& utf8, char replacement) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t c = DecodeUtf8At(utf8, &pos);
    out.push_back(c <= 0xFF ? static_cast<char>(c) : replacement);
  }
  return out;
}

std::string Latin1ToUtf8(const std::string& latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char byte : latin1) AppendUtf8(&out, static_cast<unsigned char>(byte));
  return out;
}

std::u16string Utf8ToUtf16(const std::string& utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (size_t pos = 0; pos < utf8.size();) {
    const char32_t c = DecodeUtf8At(utf8, &pos);
    if (c < 0x10000) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  return out;
}

std::string Utf16ToUtf8(const std::u16string& utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (size_t i = 0; i < utf16.size(); ++i) {
    const char16_t unit = utf16[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    const bool lowFollows = i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF;
    if (high && lowFollows) {
      AppendUtf8(&out, 0x10000 + ((static_cast<char32_t>(unit - 0xD800) << 10) | (utf16[i + 1] - 0xDC00)));
      ++i;
    } else {
      AppendUtf8(&out, IsSurrogate(unit) ? kReplacementCharacter : unit);
    }
  }
  return out;
}

std::u16string Utf16FromBytes(const uint8_t* data, size_t size, bool bigEndian) {
  std::u16string out;
  out.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) {
    const unsigned first = data[i], second = data[i + 1];
    out.push_back(static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first)));
  }
  return out;
}

void AppendUtf16Bytes(std::vector<uint8_t>* out, const std::u16string& text, bool bigEndian) {
  for (char16_t unit : text) {
    const uint8_t high = static_cast<uint8_t>(unit >> 8), low = static_cast<uint8_t>(unit & 0xFF);
    out->push_back(bigEndian ? high : low);
    out->push_back(bigEndian ? low : high);
  }
}

namespace {

// The next four bytes as one little-endian number, byte 0 lowest.
uint32_t FourBytesAt(const unsigned char* in) {
  return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

uint8_t* PutUtf16Le(uint8_t* to, char32_t unit) {
  to[0] = static_cast<uint8_t>(unit & 0xFF);
  to[1] = static_cast<uint8_t>(unit >> 8);
  return to + 2;
}

// A well-formed two-byte sequence (lead C2 to DF) in the low two bytes of `bytes`.
bool IsTwoByteSequence(uint32_t bytes) { return (bytes & 0xC0E0) == 0x80C0 && (bytes & 0x1E) != 0; }

// A well-formed three-byte sequence in the low three bytes, leads E0 and ED aside: their second
// byte has a narrower range, and the careful path takes them.
bool IsThreeByteSequence(uint32_t bytes) {
  const uint32_t lead = bytes & 0xFF;
  return (bytes & 0xC0C0F0) == 0x8080E0 && lead != 0xE0 && lead != 0xED;
}

}  // namespace

void AppendUtf8AsUtf16Le(std::vector<uint8_t>* out, const std::string& utf8) {
  // No character takes more than twice its UTF-8 bytes in UTF-16 (U+FFFD for a broken byte
  // included), so the room is made once and trimmed at the end.
  const size_t start = out->size();
  out->resize(start + 2 * utf8.size());
  uint8_t* at = out->data() + start;
  const auto* const begin = reinterpret_cast<const unsigned char*>(utf8.data());
  const unsigned char* const end = begin + utf8.size();
  for (const unsigned char* in = begin; in < end;) {
    // While four bytes are left, they are looked at as one number: four ASCII characters go
    // at once, and one-, two- and three-byte sequences are taken without asking what is left,
    // as long non-Latin texts are made of them.
    if (end - in >= 4) {
      const uint32_t bytes = FourBytesAt(in);
      if ((bytes & 0x80808080) == 0) {
        for (int i = 0; i < 4; ++i) at = PutUtf16Le(at, in[i]);
        in += 4;
        continue;
      }
      if ((bytes & 0x80) == 0) {
        at = PutUtf16Le(at, bytes & 0x7F);
        in += 1;
        continue;
      }
      if (IsTwoByteSequence(bytes)) {
        at = PutUtf16Le(at, (bytes & 0x1F) << 6 | (bytes >> 8 & 0x3F));
        in += 2;
        continue;
      }
      if (IsThreeByteSequence(bytes)) {
        at = PutUtf16Le(at, (bytes & 0x0F) << 12 | (bytes >> 8 & 0x3F) << 6 | (bytes >> 16 & 0x3F));
        in += 3;
        continue;
      }
    }
    // Anything else, and the last bytes, as DecodeUtf8At does, written out so that this loop
    // stays free of calls.
    const size_t pos = static_cast<size_t>(in - begin);
    size_t length = 0;
    const size_t taken = Utf8UnitLength(utf8, pos, &length);
    char32_t c = kReplacementCharacter;
    if (taken == length) {
      c = length == 1 ? in[0] : in[0] & (0x7F >> length);
      for (size_t i = 1; i < length; ++i) c = (c << 6) | (in[i] & 0x3F);
    }
    in += taken;
    if (c < 0x10000) {
      at = PutUtf16Le(at, c);
    } else {
      at = PutUtf16Le(at, 0xD800 + ((c - 0x10000) >> 10));
      at = PutUtf16Le(at, 0xDC00 + ((c - 0x10000) & 0x3FF));
    }
  }
  out->resize(static_cast<size_t>(at - out->data()));
}

size_t Utf8CompleteLength(std::string_view utf8) {
  const size_t size = utf8.size();
  for (size_t back = 1; back <= 4 && back <= size; ++back) {
    const unsigned char byte = static_cast<unsigned char>(utf8[size - back]);
    if (IsContinuation(byte)) continue;
    return Utf8SequenceLength(byte) > back ? size - back : size;
  }
  return size;
}

std::string Utf8FirstCharacters(const std::string& utf8, size_t maxCharacters) {
  size_t pos = 0;
  for (size_t count = 0; count < maxCharacters && pos < utf8.size(); ++count) DecodeUtf8At(utf8, &pos);
  return utf8.substr(0, pos);
}

size_t Utf8CutLength(const std::string& utf8, size_t maxBytes) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    size_t next = pos;
    DecodeUtf8At(utf8, &next);
    if (next > maxBytes) break;
    pos = next;
  }
  return pos;
}

size_t Utf16CutLength(const std::u16string& utf16, size_t maxUnits) {
  if (utf16.size() <= maxUnits) return utf16.size();
  if (maxUnits == 0) return 0;
  const char16_t last = utf16[maxUnits - 1];
  const char16_t next = utf16[maxUnits];
  const bool splitsPair = last >= 0xD800 && last <= 0xDBFF && next >= 0xDC00 && next <= 0xDFFF;
  return splitsPair ? maxUnits - 1 : maxUnits;
}
