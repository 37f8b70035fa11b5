#include "base/Utf8Repair.h"

namespace {

const char kReplacement[] = "\xEF\xBF\xBD";

// The range the byte after `lead` must lie in; later bytes are 0x80..0xBF. The narrower
// ranges after E0, ED, F0 and F4 keep out overlong forms, surrogates and values past U+10FFFF.
struct SecondByteRange {
  unsigned char low;
  unsigned char high;
};

SecondByteRange SecondByteAfter(unsigned char lead) {
  if (lead == 0xE0) return {0xA0, 0xBF};
  if (lead == 0xED) return {0x80, 0x9F};
  if (lead == 0xF0) return {0x90, 0xBF};
  if (lead == 0xF4) return {0x80, 0x8F};
  return {0x80, 0xBF};
}

}  // namespace

size_t Utf8UnitLength(std::string_view text, size_t at, size_t* length) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  *length = Utf8SequenceLength(lead);
  if (*length <= 1) return 1;
  const SecondByteRange second = SecondByteAfter(lead);
  size_t taken = 1;
  while (taken < *length && at + taken < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[at + taken]);
    const unsigned char low = taken == 1 ? second.low : 0x80;
    const unsigned char high = taken == 1 ? second.high : 0xBF;
    if (byte < low || byte > high) break;
    ++taken;
  }
  return taken;
}

size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

std::string RepairUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t at = 0; at < text.size();) {
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

bool IsValidUtf8(std::string_view text) {
  for (size_t at = 0; at < text.size();) {
    size_t length = 0;
    const size_t taken = Utf8UnitLength(text, at, &length);
    if (taken != length) return false;
    at += taken;
  }
  return true;
}
