// The seek table of a FLAC output whose length is not known in advance. libFLAC fills a
// template only for sample numbers given before encoding, so the table is reserved as
// placeholders and filled here as the frames go out: one point every 10 s, and when the
// points run out, every other one is dropped and the spacing doubles. Long files thus keep
// between half and all of the points, spread over their whole length.
#pragma once

#include <cstdint>

#include <FLAC/format.h>

class FlacSeekTable {
 public:
  static constexpr unsigned kPoints = 256;

  // `table` is the reserved SEEKTABLE block the encoder writes at its end; it must outlive
  // this object.
  FlacSeekTable(FLAC__StreamMetadata_SeekTable* table, int sampleRate);

  // One encoded frame: its first sample, its offset from the first frame and its length.
  void NoteFrame(uint64_t firstSample, uint64_t streamOffset, unsigned samples);

 private:
  void DropEveryOtherPoint();

  FLAC__StreamMetadata_SeekTable* table_;
  uint64_t spacing_;
  uint64_t nextSample_ = 0;
  unsigned used_ = 0;
};
