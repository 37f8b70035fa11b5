#include "app/ReplayGainBook.h"

#include <algorithm>

#include "app/FileList.h"
#include "app/LoudnessGain.h"
#include "tagformats/replaygain/GainTagWriter.h"

std::string AlbumKeyOf(const std::string& album, const std::string& albumArtist, size_t row) {
  if (album.empty()) return "\x01row " + std::to_string(row);
  return album + '\x01' + albumArtist;
}

std::unique_ptr<ReplayGainBook> MakeReplayGainBook(ReplayGainMode mode, const FileList& rows,
                                                   const TagTable& tags) {
  if (mode == ReplayGainMode::kOff) return nullptr;
  std::vector<std::string> albumKeys;
  for (size_t row = 0; row < rows.size(); ++row) {
    const Timerec record = tags.ReadRowRecord(row);
    albumKeys.push_back(AlbumKeyOf(record.album, record.extras.First("ALBUMARTIST"), row));
  }
  return std::make_unique<ReplayGainBook>(mode, std::move(albumKeys));
}

ReplayGainBook::ReplayGainBook(ReplayGainMode mode, std::vector<std::string> albumKeys)
    : mode_(mode), keys_(std::move(albumKeys)) {
  for (const std::string& key : keys_) ++albums_[key].rowsLeft;
}

void ReplayGainBook::TrackDone(size_t row, const std::string& outputPath,
                               std::unique_ptr<LoudnessMeter> meter) {
  if (row >= keys_.size()) return;
  std::lock_guard<std::mutex> guard(lock_);
  Album& album = albums_[keys_[row]];
  if (album.rowsLeft > 0) --album.rowsLeft;
  if (meter) {
    const LoudnessResult result = meter->Result();
    if (mode_ == ReplayGainMode::kTrack) {
      WriteGainFields(
          outputPath,
          ReplayGainFields(outputPath, {result.integratedLufs, result.truePeak}, nullptr));
      return;
    }
    album.tracks.push_back(Track{outputPath, std::move(meter), result});
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
    whole.truePeak = std::max(whole.truePeak, track.result.truePeak);
  }
  whole.lufs = LoudnessMeter::JointLoudness(meters);
  for (const Track& track : album.tracks) {
    const GainValues own{track.result.integratedLufs, track.result.truePeak};
    WriteGainFields(track.outputPath, ReplayGainFields(track.outputPath, own, &whole));
  }
}
