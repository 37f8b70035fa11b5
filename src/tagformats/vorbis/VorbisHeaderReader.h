// Reads the comments of an Ogg Vorbis stream without the editor's copy of its headers: the
// identification and setup headers are checked as a decoder would, the comment header is
// parsed as it streams past, and nothing after the headers is read.
#pragma once

#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "tagformats/vorbis/VorbisComments.h"

// Throws VorbisStreamError with the reason when the input is not an Ogg Vorbis stream.
TStrComments ReadVorbisComments(VorbisByteReader read);
