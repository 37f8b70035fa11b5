// Builds the Vorbis comment header packet of a comment block, as libvorbis would: its own
// vendor text, the comments, the framing bit. libvorbis grows its packet buffer 256 bytes at a
// time, which costs time in the square of the size; a large picture among the comments makes
// that minutes. Here the packet is laid out once in a buffer of its exact size.
#pragma once

#include <vector>

#include <vorbis/codec.h>

std::vector<unsigned char> BuildVorbisCommentHeader(const vorbis_comment& comments);
