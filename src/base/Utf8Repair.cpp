#include "base/Utf8Repair.h"

#include <cstdint>
#include <cstring>

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// Where the run of ASCII bytes from `at` ends, eight bytes at a time while they last.
size_t AsciiRunEnd(std::string_view text, size_t at) {
  while (at + 8 <= text.size()) {
    uint64_t block;
    std::memcpy(&block, text.data() + at, 8);
    if ((block & 0x8080808080808080ULL) != 0) break;
    at += 8;
  }
  while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) ++at;
  return at;
}

bool Continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Bytes in the well-formed sequence at `at` (< size), which is not ASCII; 0 when it is
// ill-formed. Long non-Latin texts are mostly two- and three-byte sequences, checked here
// directly: the general unit stepping costs several times as much a character.
size_t WellFormedLength(const unsigned char* bytes, size_t at, size_t size) {
  const unsigned char lead = bytes[at];
  const size_t left = size - at;
  if (lead >= 0xC2 && lead <= 0xDF) return left >= 2 && Continuation(bytes[at + 1]) ? 2 : 0;
  if (lead >= 0xE0 && lead <= 0xEF) {
    if (left < 3 || !Continuation(bytes[at + 2])) return 0;
    const unsigned char second = bytes[at + 1];
    const unsigned char low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    return second >= low && second <= high ? 3 : 0;
  }
  if (lead >= 0xF0 && lead <= 0xF4) {
    if (left < 4 || !Continuation(bytes[at + 2]) || !Continuation(bytes[at + 3])) return 0;
    const unsigned char second = bytes[at + 1];
    const unsigned char low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    return second >= low && second <= high ? 4 : 0;
  }
  return 0;
}

// Where the first ill-formed unit starts; the size when there is none.
size_t FirstIllFormed(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t at = AsciiRunEnd(text, 0); at < text.size(); at = AsciiRunEnd(text, at)) {
    do {
      const size_t length = WellFormedLength(bytes, at, text.size());
      if (length == 0) return at;
      at += length;
    } while (at < text.size() && bytes[at] >= 0x80);
  }
  return text.size();
}

}  // namespace

std::string RepairUtf8(std::string_view text) {
  const size_t firstBad = FirstIllFormed(text);
  std::string out(text.substr(0, firstBad));
  if (firstBad == text.size()) return out;  // the common case: valid, copied in one go
  out.reserve(text.size() + 8);
  for (size_t at = firstBad; at < text.size();) {
    size_t length = 0;
    const size_t taken = Utf8UnitLength(text, at, &length);
    if (taken == length) {
      out.append(text.substr(at, taken));
    } else {
      out.append(kReplacement);
    }
    at += taken;
  }
  return out;
}

bool IsValidUtf8(std::string_view text) { return FirstIllFormed(text) == text.size(); }
