// Texts read from files may be any bytes; the program handles valid UTF-8 only.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// `text` with every ill-formed part replaced by U+FFFD, one per maximal subpart: the longest
// start of a well-formed sequence that breaks off (a lead byte with the continuation bytes it
// admits), or else a single byte. So a sequence cut short costs one U+FFFD and the byte that
// cut it is read afresh; a stray continuation byte, an overlong form, a surrogate or a code
// point above U+10FFFF costs one U+FFFD per byte. Valid UTF-8 comes back unchanged.
std::string RepairUtf8(std::string_view text);

// True when `text` is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// Bytes in the sequence a lead byte starts (1 to 4); 0 for a byte that starts none.
inline size_t Utf8SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// How many bytes from `at` (< text.size()) form one unit: a well-formed sequence (the return
// equals *length) or the maximal subpart of an ill-formed one (fewer, at least 1). Decoders step
// by it so that they replace exactly what RepairUtf8 replaces. Inline: every decoder calls it
// once a character.
inline size_t Utf8UnitLength(std::string_view text, size_t at, size_t* length) {
  const unsigned char lead = static_cast<unsigned char>(text[at]);
  *length = Utf8SequenceLength(lead);
  if (*length <= 1) return 1;
  // The byte after the lead lies in a narrower range after E0, ED, F0 and F4, which keeps out
  // overlong forms, surrogates and values past U+10FFFF; later bytes are 0x80..0xBF.
  unsigned char low = 0x80, high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  else if (lead == 0xED) high = 0x9F;
  else if (lead == 0xF0) low = 0x90;
  else if (lead == 0xF4) high = 0x8F;
  size_t taken = 1;
  while (taken < *length && at + taken < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[at + taken]);
    if (byte < low || byte > high) break;
    low = 0x80, high = 0xBF;
    ++taken;
  }
  return taken;
}
