#include "tagformats/vorbis/VorbisGranules.h"

// A Vorbis packet completes the overlap of its own block with the previous one: a quarter of
// each block size. The first audio packet yields nothing.
int64_t VorbisGranules::SamplesOf(ogg_packet& packet) {
  long block = vorbis_packet_blocksize(&info_, &packet);
  if (block <= 0) return 0;  // not an audio packet: decoders skip it
  int64_t samples = previousBlock_ ? (previousBlock_ + block) / 4 : 0;
  previousBlock_ = block;
  return samples;
}

void VorbisGranules::Assign(std::vector<ogg_packet>& batch) {
  if (batch.empty()) return;
  std::vector<int64_t> samples;
  samples.reserve(batch.size());
  for (auto& packet : batch) samples.push_back(SamplesOf(packet));

  const size_t last = batch.size() - 1;
  if (batch[last].granulepos >= 0) {
    // Count back from the page's own position so that start and end trimming stay as they were.
    for (size_t i = last; i-- > 0;) {
      int64_t position = batch[i + 1].granulepos - samples[i + 1];
      batch[i].granulepos = position < 0 ? 0 : position;
    }
  } else {
    int64_t position = lastGranule_;
    for (size_t i = 0; i <= last; ++i) batch[i].granulepos = position += samples[i];
  }
  lastGranule_ = batch[last].granulepos;
}
