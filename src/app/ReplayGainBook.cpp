#include "app/ReplayGainBook.h"

#include <algorithm>

#include "app/FileList.h"
#include "app/GainTags.h"
#include "app/TagTransfer.h"

namespace {

GainValues ValuesOf(const LoudnessMeter& meter) {
  const LoudnessResult result = meter.Result();
  return {result.integratedLufs, result.truePeak};
}

}  // namespace

std::string AlbumKeyOf(const std::string& album, const std::string& albumArtist, size_t row) {
  if (album.empty()) return "\x01row " + std::to_string(row);
  return album + '\x01' + albumArtist;
}

std::unique_ptr<ReplayGainBook> MakeReplayGainBook(ReplayGainMode mode, const FileList& rows) {
  if (mode == ReplayGainMode::kOff) return nullptr;
  std::vector<std::string> albumKeys;
  for (size_t row = 0; row < rows.size(); ++row) {
    const Timerec& record = rows[row].tags;
    albumKeys.push_back(AlbumKeyOf(record.album, record.extras.First("ALBUMARTIST"), row));
  }
  return std::make_unique<ReplayGainBook>(mode, std::move(albumKeys));
}

ReplayGainBook::ReplayGainBook(ReplayGainMode mode, std::vector<std::string> albumKeys)
    : mode_(mode), keys_(std::move(albumKeys)) {
  for (const std::string& key : keys_) ++albums_[key].rowsLeft;
}

void ReplayGainBook::SetTrackValues(Timerec& record, AudioFormat format,
                                    const LoudnessMeter* meter) {
  if (meter) SetTrackGain(record.extras, format, ValuesOf(*meter));
  else DropGainFields(record.extras);
}

void ReplayGainBook::TrackDone(size_t row, TaggedOutput output,
                               std::unique_ptr<LoudnessMeter> meter) {
  if (row >= keys_.size() || mode_ != ReplayGainMode::kAlbum) return;
  std::lock_guard<std::mutex> guard(lock_);
  Album& album = albums_[keys_[row]];
  if (album.rowsLeft > 0) --album.rowsLeft;
  if (meter) {
    const GainValues values = ValuesOf(*meter);
    album.tracks.push_back(Track{std::move(output), std::move(meter), values});
  }
  if (album.rowsLeft == 0) WriteAlbum(album);
}

void ReplayGainBook::WriteUnfinishedAlbums() {
  std::lock_guard<std::mutex> guard(lock_);
  for (auto& [key, album] : albums_) WriteAlbum(album);
}

void ReplayGainBook::WriteAlbum(Album& album) {
  if (album.written || album.tracks.empty()) return;
  album.written = true;
  std::vector<const LoudnessMeter*> meters;
  GainValues whole{0, 0};
  for (const Track& track : album.tracks) {
    meters.push_back(track.meter.get());
    whole.truePeak = std::max(whole.truePeak, track.values.truePeak);
  }
  whole.lufs = LoudnessMeter::JointLoudness(meters);
  for (Track& track : album.tracks) {
    TaggedOutput& output = track.output;
    SetAlbumGain(output.record.extras, output.format, whole);
    WriteTagsToOutput(output.path, output.format, output.record);
  }
}
