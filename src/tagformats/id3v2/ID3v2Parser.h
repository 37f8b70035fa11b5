// Reads an ID3v2 tag (versions 2.2, 2.3 and 2.4) at the start of a byte source. Frames are
// walked by their sizes and only the frames the record keeps are read, one at a time. Every size in the input is
// checked against the bytes actually there: hostile data gives partial fields, never a read
// past the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "tagformats/common/ByteSource.h"
#include "tags/Timerec.h"

constexpr size_t kID3v2HeaderSize = 10;

// Length of the whole tag (header and any footer included) announced by the header at `data`,
// or nullopt when `data` does not begin with an ID3v2 header we can read.
std::optional<size_t> ID3v2TagLength(const uint8_t* data, size_t size);

// The fields of the tag at the start of the source as UTF-8 (see ID3v2FrameCollector);
// nullopt when there is no ID3v2 tag. A tag cut short by the end of the source yields the
// frames that lie whole within it.
// With kLeftInPlace a picture whose image lies unescaped in the source gets its place (offset
// and size) instead of its image, and only its head is read.
enum class PictureImages { kRead, kLeftInPlace };
std::optional<Timerec> ParseID3v2Tag(ByteSource& source, PictureImages images = PictureImages::kRead);
std::optional<Timerec> ParseID3v2Tag(const uint8_t* data, size_t size);
