// The ID3v2.3 tag written in front of MP3 output: header, the seven frames of the record in a
// fixed order, then the frames of every other field and the pictures, ten bytes of padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tags/Timerec.h"

// What goes into "TYER": the leading four-digit year when the text starts with one ("2001"
// of "2001-02-03"), else the text; trimmed of spaces either way.
std::string YearFrameText(const std::string& year);

std::vector<uint8_t> BuildID3v2Tag(const Timerec& record);
