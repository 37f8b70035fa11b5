#include "tagformats/VorbisUtf8.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Length of the well-formed sequence starting at `at`, or 0 when it is ill-formed. The bounds
// of the second byte rule out overlong forms, surrogates and values above U+10FFFF.
size_t SequenceLength(std::string_view text, size_t at) {
  auto byte = [&](size_t i) { return static_cast<unsigned char>(text[at + i]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i)
    if (!IsContinuation(byte(i))) return 0;
  return length;
}

}  // namespace

std::string RepairUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t at = 0;
  while (at < text.size()) {
    size_t length = SequenceLength(text, at);
    if (length == 0) {
      out += kReplacement;
      ++at;
      // The rest of a broken sequence goes with its replacement.
      while (at < text.size() && IsContinuation(static_cast<unsigned char>(text[at]))) ++at;
      continue;
    }
    out.append(text, at, length);
    at += length;
  }
  return out;
}
