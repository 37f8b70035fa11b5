#include "tagformats/id3v2/ID3v2Text.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "base/Utf8Repair.h"
#include "tagformats/common/TextEncoding.h"

namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;

bool IsWide(uint8_t encoding) { return encoding == kID3v2Utf16 || encoding == kID3v2Utf16BE; }

// The bytes before the first zero byte, or all of them.
std::string_view NarrowUntilZero(const uint8_t* data, size_t size) {
  const void* zero = size != 0 ? std::memchr(data, 0, size) : nullptr;
  const size_t length = zero != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(zero) - data) : size;
  return std::string_view(reinterpret_cast<const char*>(data), length);
}

std::string DecodeUtf16(uint8_t encoding, const uint8_t* data, size_t size) {
  // Without a mark, version 2.3's UTF-16 is little-endian in practice (Windows writers).
  bool bigEndian = encoding == kID3v2Utf16BE;
  if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    bigEndian = false;
    data += 2, size -= 2;
  } else if (size >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    bigEndian = true;
    data += 2, size -= 2;
  }
  std::u16string text = Utf16FromBytes(data, size, bigEndian);
  const size_t zero = text.find(u'\0');
  if (zero != std::u16string::npos) text.resize(zero);
  if (!text.empty() && text.front() == kByteOrderMark) text.erase(0, 1);
  if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();  // pair cut short
  return Utf16ToUtf8(text);
}

// Copied once, by the repair, which most texts pass unchanged.
std::string DecodeUtf8(const uint8_t* data, size_t size) {
  std::string_view text = NarrowUntilZero(data, size);
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return RepairUtf8(text.substr(0, Utf8CompleteLength(text)));
}

}  // namespace

std::string DecodeID3v2Text(uint8_t encoding, const uint8_t* data, size_t size) {
  switch (encoding) {
    case kID3v2Latin1: return Latin1ToUtf8(std::string(NarrowUntilZero(data, size)));
    case kID3v2Utf16:
    case kID3v2Utf16BE: return DecodeUtf16(encoding, data, size);
    case kID3v2Utf8: return DecodeUtf8(data, size);
    default: return std::string();
  }
}

size_t ID3v2TerminatorSize(uint8_t encoding) { return IsWide(encoding) ? 2 : 1; }

size_t ID3v2StringSpan(uint8_t encoding, const uint8_t* data, size_t size) {
  const size_t step = ID3v2TerminatorSize(encoding);
  if (step == 1) return std::min(NarrowUntilZero(data, size).size() + 1, size);
  for (size_t i = 0; i + step <= size; i += step) {
    if (data[i] == 0 && (step == 1 || data[i + 1] == 0)) return i + step;
  }
  return size;
}

EncodedID3v2Text EncodeID3v2Text(const std::string& utf8, size_t maxCharacters) {
  EncodedID3v2Text encoded;
  // Every character takes a byte at least: a limit as long as the text keeps all of it.
  const std::string kept = maxCharacters >= utf8.size() ? utf8 : Utf8FirstCharacters(utf8, maxCharacters);
  if (FitsLatin1(kept)) {
    const std::string latin1 = Utf8ToLatin1(kept);
    encoded.bytes.assign(latin1.begin(), latin1.end());
    return encoded;
  }
  encoded.encoding = kID3v2Utf16;
  encoded.bytes = {0xFF, 0xFE};  // the byte-order mark
  AppendUtf8AsUtf16Le(&encoded.bytes, kept);
  return encoded;
}

std::vector<uint8_t> EmptyID3v2String(uint8_t encoding) {
  if (encoding == kID3v2Utf16) return {0xFF, 0xFE, 0, 0};
  return std::vector<uint8_t>(ID3v2TerminatorSize(encoding), 0);
}
