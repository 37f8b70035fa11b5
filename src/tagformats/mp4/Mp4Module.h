// MP4 (.m4a) tags through TagLib: iTunes-style atoms (©nam, ©ART, trkn, disk, tmpo, cpil, …),
// freeform "----:com.apple.iTunes:NAME" items for every other field, and the pictures as covr.
// Reading follows the same rules as for any TagLib source (GenericTagReader); writing replaces
// the file's fields with the record's and keeps the file's gapless data (iTunSMPB).
#pragma once

#include "tagformats/common/TagModule.h"

class Mp4Module : public TagModule {
 public:
  Timerec Read(const std::string& path) const override;
  void Write(const std::string& path, const Timerec& record) const override;
};
