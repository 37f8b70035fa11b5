// Parses a Vorbis comment header packet as it streams past: only the comments whose names
// the record uses are kept, each up to a bound, so a huge comment (a picture) costs nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "tagformats/vorbis/VorbisComments.h"

// Copies up to `size` bytes of the packet; fewer once the packet ends.
using VorbisPacketReader = std::function<size_t(uint8_t* out, size_t size)>;

// Bytes of one comment that are kept; longer comments keep their start, cut at a character.
constexpr size_t kMaxKeptCommentBytes = 1024 * 1024;

// The record's comments, in file order. Throws VorbisStreamError("Corrupt Vorbis comment
// header") when the packet is not a well-formed comment header.
TStrComments ReadCommentPacket(const VorbisPacketReader& read);
