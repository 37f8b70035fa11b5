// Parses a Vorbis comment header packet as it streams past, every comment whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "tagformats/vorbis/VorbisComments.h"

// Copies up to `size` bytes of the packet; fewer once the packet ends.
using VorbisPacketReader = std::function<size_t(uint8_t* out, size_t size)>;

// How a codec wraps the comment block in its packet: Vorbis puts "\x03vorbis" before it and a
// framing bit after it; Opus puts "OpusTags" before it; Speex and FLAC (after its block
// header) give the bare block.
struct CommentPacketLayout {
  std::string magic;
  bool framed;
};
extern const CommentPacketLayout kVorbisCommentPacket;

// The comments, in file order. Throws VorbisStreamError("Corrupt Vorbis comment
// header") when the packet is not a well-formed comment header.
TStrComments ReadCommentPacket(const VorbisPacketReader& read,
                               const CommentPacketLayout& layout = kVorbisCommentPacket);
