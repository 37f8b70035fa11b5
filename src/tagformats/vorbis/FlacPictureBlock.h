// The picture block of FLAC metadata, which Vorbis comments carry base64-encoded under
// METADATA_BLOCK_PICTURE: type, MIME type, description, image size fields, the bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "tags/TagExtras.h"

// Nothing when a length in the block claims more than it holds.
std::optional<TagPicture> ParseFlacPictureBlock(const uint8_t* data, size_t size);
// Width, height, colour depth and palette size are written as 0 ("not known").
std::vector<uint8_t> BuildFlacPictureBlock(const TagPicture& picture);
