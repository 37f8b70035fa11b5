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

// Where the first ill-formed unit starts; the size when there is none.
size_t FirstIllFormed(std::string_view text) {
  for (size_t at = AsciiRunEnd(text, 0); at < text.size(); at = AsciiRunEnd(text, at)) {
    size_t length = 0;
    const size_t taken = Utf8UnitLength(text, at, &length);
    if (taken != length) return at;
    at += taken;
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
