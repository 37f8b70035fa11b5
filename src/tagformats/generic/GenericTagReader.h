// Tags of sources outside the four list formats (FLAC, Opus, M4A, AIFF, APE, …), read through
// TagLib's format-independent property map. Read-only: outputs are always in one of the four
// formats, and sources are never modified.
#pragma once

#include "tagformats/common/TagReader.h"

class GenericTagReader : public TagReader {
 public:
  // A file TagLib does not know or cannot parse gives an empty record: whether it is audio
  // is the engine's decision. Throws TagError only when the file cannot be opened.
  Timerec Read(const std::string& path) const override;
};
