// Opus tags through TagLib: Vorbis comments in the OpusTags packet, pictures among them as
// METADATA_BLOCK_PICTURE. Reading follows the same rules as for any TagLib source
// (GenericTagReader); writing replaces the file's fields and pictures with the record's.
#pragma once

#include "tagformats/common/TagModule.h"

class OpusModule : public TagModule {
 public:
  Timerec Read(const std::string& path) const override;
  void Write(const std::string& path, const Timerec& record) const override;
};
