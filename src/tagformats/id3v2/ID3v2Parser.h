// Reads an ID3v2 tag (versions 2.2, 2.3 and 2.4) from bytes in memory. Every size in the input
// is checked against the bytes actually there: hostile data gives partial fields, never a read
// past the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "tags/TagTable.h"

constexpr size_t kID3v2HeaderSize = 10;

// Length of the whole tag (header and any footer included) announced by the header at `data`, or nullopt
// when `data` does not begin with an ID3v2 header we can read.
std::optional<size_t> ID3v2TagLength(const uint8_t* data, size_t size);

// The seven fields of the tag at the start of `data` as UTF-8, each from at most the first 250
// bytes of its frame and trimmed of leading and trailing bytes up to 32; nullopt when there is
// no ID3v2 tag. A tag cut short by the end of `data`
// yields the frames that lie whole within it.
std::optional<Timerec> ParseID3v2Tag(const uint8_t* data, size_t size);
