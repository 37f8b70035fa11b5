// Reads the comments of an Ogg Vorbis stream without the editor's copy of its headers: the
// identification and setup headers are checked as a decoder would, the comment header is
// parsed as it streams past, and nothing after the headers is read.
#pragma once

#include "tagformats/vorbis/VorbisComments.h"
#include "tagformats/vorbis/VorbisPacketStream.h"

// `packets` stands at the first packet of a Vorbis stream. Throws VorbisStreamError with the
// reason when its headers are not Vorbis headers.
TStrComments ReadVorbisComments(VorbisPacketStream& packets);
