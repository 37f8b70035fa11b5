// Reads the comment block of the first audio stream of an Ogg file that carries one: Vorbis,
// Opus, FLAC or Speex, alone or multiplexed with video. Only the headers are read.
#pragma once

#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "tagformats/vorbis/VorbisComments.h"

// No comments when no stream carries a comment block. Throws VorbisStreamError with the
// reason when the input is not Ogg or the chosen stream's headers are damaged.
TStrComments ReadOggComments(VorbisByteReader read);
