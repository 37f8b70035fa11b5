// Tags of sources outside the three formats with tag modules of their own (FLAC, Opus, M4A,
// AIFF, WAV, APE, WavPack, …), read through TagLib: its property map, whose keys are already
// the record's neutral keys, and the pictures of each container. Read-only: outputs are always
// in one of the list formats, and sources are never modified.
#pragma once

#include <optional>

#include "tagformats/common/TagReader.h"

class GenericTagReader : public TagReader {
 public:
  // A file TagLib does not know or cannot parse gives an empty record: whether it is audio
  // is the engine's decision. Throws TagError only when the file cannot be opened. A WAV file
  // gives its id3 chunk, else its RIFF INFO list.
  Timerec Read(const std::string& path) const override;
};

// The APEv2 tag of an MP3 file; nothing when it has none.
std::optional<Timerec> ReadMpegApeTag(const std::string& path);
