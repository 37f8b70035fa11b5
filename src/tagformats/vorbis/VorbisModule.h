// OGG tags: the Vorbis comments of an Ogg file. Reading takes them from its Vorbis, Opus, FLAC
// or Speex stream, multiplexed or not; writing, done only to plain Ogg Vorbis outputs,
// replaces every comment with the record's non-empty fields and rewrites the file through a
// temporary file beside it.
#pragma once

#include "tagformats/common/TagModule.h"

class VorbisModule : public TagModule {
 public:
  Timerec Read(const std::string& path) const override;
  void Write(const std::string& path, const Timerec& record) const override;
};
