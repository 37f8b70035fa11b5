// The ID3v2.3 tag written in front of MP3 output: header, the seven frames of the record in a
// fixed order, ten bytes of padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tags/TagTable.h"

// Text bytes a frame may carry (the frame buffers hold 255 bytes of text and a terminator).
// For UTF-16 the byte-order mark counts, so at most 126 code units fit.
constexpr size_t kID3v2MaxFrameText = 255;

std::vector<uint8_t> BuildID3v2Tag(const Timerec& record);
