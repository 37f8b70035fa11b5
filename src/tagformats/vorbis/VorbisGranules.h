// Gives every audio packet of a Vorbis stream its own granule position. An Ogg page carries the
// position of its last finished packet only; once packets are laid out on new pages, any of
// them may end a page and then needs its exact position.
#pragma once

#include <cstdint>
#include <vector>

#include <ogg/ogg.h>
#include <vorbis/codec.h>

class VorbisGranules {
 public:
  explicit VorbisGranules(vorbis_info& info) : info_(info) {}

  // `batch` holds the packets finished on one input page, in order; the last one carries that
  // page's granule position (or -1 when the page had none). Fills in every packet's position.
  void Assign(std::vector<ogg_packet>& batch);

 private:
  int64_t SamplesOf(ogg_packet& packet);

  vorbis_info& info_;
  long previousBlock_ = 0;
  int64_t lastGranule_ = 0;
};
