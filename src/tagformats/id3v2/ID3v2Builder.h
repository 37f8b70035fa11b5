// The ID3v2.3 tag written in front of MP3 output: header, the seven frames of the record in a
// fixed order, then the frames of every other field and the pictures, ten bytes of padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tagformats/common/ImageCopier.h"
#include "tags/Timerec.h"

// What goes into "TYER": the leading four-digit year when the text starts with one ("2001"
// of "2001-02-03"), else the text; trimmed of spaces either way.
std::string YearFrameText(const std::string& year);

// Every image in the tag's bytes; an image left in its source (see ImageLeftInSource) would be
// missing from them, so the record must have its images.
std::vector<uint8_t> BuildID3v2Tag(const Timerec& record);
// The same with the images left in their sources as gaps, for a writer that copies them in.
BytesWithImageGaps BuildID3v2TagLeavingImages(const Timerec& record);
