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
size_t Utf8SequenceLength(unsigned char lead);

// How many bytes from `at` (< text.size()) form one unit: a well-formed sequence (the return
// equals *length) or the maximal subpart of an ill-formed one (fewer, at least 1). Decoders step
// by it so that they replace exactly what RepairUtf8 replaces.
size_t Utf8UnitLength(std::string_view text, size_t at, size_t* length);
