// Pulls Ogg pages out of a byte stream delivered by a caller's read function.
#pragma once

#include <ogg/ogg.h>

#include "tagformats/vorbis/VorbisCommentEditor.h"

class VorbisPageSource {
 public:
  enum class Result { Page, End, Hole };

  explicit VorbisPageSource(VorbisByteReader read);
  ~VorbisPageSource();
  VorbisPageSource(const VorbisPageSource&) = delete;
  VorbisPageSource& operator=(const VorbisPageSource&) = delete;

  // Page: `page` is valid until the next call. End: the input is exhausted. Hole: bytes that are
  // not a valid page (garbage, bad checksum) were skipped.
  Result Next(ogg_page& page);

  // True when the input ended inside a page.
  bool EndedMidPage() const;

 private:
  static constexpr long kChunk = 4096;

  ogg_sync_state sync_;
  VorbisByteReader read_;
  bool exhausted_ = false;
};
