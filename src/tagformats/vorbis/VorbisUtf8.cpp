#include "tagformats/vorbis/VorbisUtf8.h"

#include "tagformats/common/TextEncoding.h"

std::string RepairUtf8(std::string_view view) {
  const std::string text(view);
  std::string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    const size_t start = pos;
    const char32_t c = DecodeUtf8At(text, &pos);
    AppendUtf8(&out, c);
    // A broken sequence (not a literal U+FFFD, which takes three bytes) gets one replacement:
    // the continuation bytes behind its lead go with it.
    if (c == kReplacementCharacter && pos == start + 1) {
      while (pos < text.size() && (static_cast<unsigned char>(text[pos]) & 0xC0) == 0x80) ++pos;
    }
  }
  return out;
}
