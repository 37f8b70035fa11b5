#include "engines/FlacSeekTable.h"

FlacSeekTable::FlacSeekTable(FLAC__StreamMetadata_SeekTable* table, int sampleRate)
    : table_(table), spacing_(static_cast<uint64_t>(sampleRate) * 10) {}

void FlacSeekTable::NoteFrame(uint64_t firstSample, uint64_t streamOffset, unsigned samples) {
  if (firstSample + samples <= nextSample_) return;
  if (used_ == table_->num_points) DropEveryOtherPoint();
  FLAC__StreamMetadata_SeekPoint& point = table_->points[used_++];
  point.sample_number = firstSample;
  point.stream_offset = streamOffset;
  point.frame_samples = samples;
  nextSample_ += spacing_;
  while (nextSample_ < firstSample + samples) nextSample_ += spacing_;
}

void FlacSeekTable::DropEveryOtherPoint() {
  unsigned kept = 0;
  for (unsigned i = 0; i < used_; i += 2) table_->points[kept++] = table_->points[i];
  for (unsigned i = kept; i < used_; ++i) {
    table_->points[i].sample_number = FLAC__STREAM_METADATA_SEEKPOINT_PLACEHOLDER;
    table_->points[i].stream_offset = 0;
    table_->points[i].frame_samples = 0;
  }
  used_ = kept;
  spacing_ *= 2;
  nextSample_ = table_->points[kept - 1].sample_number + spacing_;
}
