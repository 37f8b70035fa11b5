#include "base/Utf8Repair.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// Where the run from `at` (a sequence boundary) of ASCII, two-byte sequences and three-byte
// sequences led by E1..EC or EE..EF ends, sixteen bytes at a time: the bulk of text in most
// scripts, Chinese and Japanese included. A block passes when it holds only such leads,
// continuation bytes and ASCII, and its continuations are exactly the bytes its leads claim.
// E0, ED and four-byte leads, whose second byte has a narrower range, end the run, which ends
// where a sequence starts.
size_t QuickRunEnd(const unsigned char* bytes, size_t at, size_t size) {
#if defined(__SSE2__)
  // Signed bytes: ASCII is 0..127, continuations 0x80..0xBF are -128..-65, C2..DF -62..-33,
  // E1..EF -31..-17 with ED at -19.
  const __m128i beforeTwoByteLeads = _mm_set1_epi8(-63), leadE0 = _mm_set1_epi8(-32);
  const __m128i leadED = _mm_set1_epi8(-19), fourByteLeads = _mm_set1_epi8(-16);
  const __m128i afterContinuations = _mm_set1_epi8(-64), beforeAscii = _mm_set1_epi8(-1);
  // Blocks follow each other whatever they hold, so that the next load does not wait for this
  // block's checks; a sequence running past a block hands its claims on to the next.
  unsigned carried = 0;
  size_t sequenceStart = at;  // the start of the sequence that runs into the block at `at`
  while (at + 16 <= size) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + at));
    const __m128i lead2 = _mm_and_si128(_mm_cmpgt_epi8(block, beforeTwoByteLeads), _mm_cmplt_epi8(block, leadE0));
    const __m128i lead3 = _mm_andnot_si128(_mm_cmpeq_epi8(block, leadED),
                                           _mm_and_si128(_mm_cmpgt_epi8(block, leadE0), _mm_cmplt_epi8(block, fourByteLeads)));
    const __m128i continuation = _mm_cmplt_epi8(block, afterContinuations);
    const __m128i ascii = _mm_cmpgt_epi8(block, beforeAscii);
    const __m128i known = _mm_or_si128(_mm_or_si128(lead2, lead3), _mm_or_si128(continuation, ascii));
    if (_mm_movemask_epi8(known) != 0xFFFF) break;
    const unsigned twos = static_cast<unsigned>(_mm_movemask_epi8(lead2));
    const unsigned threes = static_cast<unsigned>(_mm_movemask_epi8(lead3));
    const unsigned claimed = carried | (twos << 1) | (threes << 1) | (threes << 2);
    if ((claimed & 0xFFFF) != static_cast<unsigned>(_mm_movemask_epi8(continuation))) break;
    carried = claimed >> 16;
    sequenceStart = at + 16 - (((twos | threes) & 0x8000) != 0 ? 1 : (threes & 0x4000) != 0 ? 2 : 0);
    at += 16;
  }
  at = sequenceStart;
#endif
  return AsciiRunEnd(std::string_view(reinterpret_cast<const char*>(bytes), size), at);
}

// Where the first ill-formed unit starts; the size when there is none. Blocks the quick run
// does not take are stepped through a sequence at a time, a block's worth before it is tried
// again, so that text the quick run cannot take does not try it at every character.
size_t FirstIllFormed(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const size_t size = text.size();
  for (size_t at = 0; at < size;) {
    at = QuickRunEnd(bytes, at, size);
    for (const size_t stepEnd = std::min(size, at + 16); at < stepEnd;) {
      if (bytes[at] < 0x80) {
        ++at;
        continue;
      }
      const size_t length = WellFormedLength(bytes, at, size);
      if (length == 0) return at;
      at += length;
    }
  }
  return size;
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
