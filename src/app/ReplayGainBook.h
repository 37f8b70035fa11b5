// The ReplayGain tags of one run. Each output is tagged with its own track values as it is
// finished. Album mode keeps each output's measurement until every row of its album (the rows
// of the run that share album and album artist) is done, then tags all of them again with the
// album values added; the album's loudness takes every gating block of all its tracks, its
// peak is the largest. Jobs converting side by side report to the one book.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/LoudnessGain.h"
#include "app/LoudnessOptions.h"
#include "engines/LoudnessMeter.h"
#include "base/AudioFormat.h"
#include "tags/Timerec.h"

class FileList;

// Rows with the same album name and album artist form an album; a row without an album name
// is an album of its own.
std::string AlbumKeyOf(const std::string& album, const std::string& albumArtist, size_t row);

// A finished output and the tag record it was given.
struct TaggedOutput {
  std::string path;
  AudioFormat format = AudioFormat::kOther;
  Timerec record;
};

class ReplayGainBook {
 public:
  // One album key per listed row.
  ReplayGainBook(ReplayGainMode mode, std::vector<std::string> albumKeys);

  // The record an output receives: the track values of `meter` in place of any gain fields it
  // carried from its source. Without a meter (the output was not measured) the carried gain
  // fields are only dropped.
  static void SetTrackValues(Timerec& record, AudioFormat format, const LoudnessMeter* meter);
  // The row's output is finished with SetTrackValues' record in its tags; a null meter counts
  // the row as done without a part in its album. A tag module's TagError passes.
  void TrackDone(size_t row, TaggedOutput output, std::unique_ptr<LoudnessMeter> meter);
  // At the run's end: albums that lost rows on the way (missing sources, Stop, errors) are
  // tagged over the outputs they have.
  void WriteUnfinishedAlbums();

 private:
  struct Track {
    TaggedOutput output;
    std::unique_ptr<LoudnessMeter> meter;
    GainValues values;
  };
  struct Album {
    size_t rowsLeft = 0;
    bool written = false;
    std::vector<Track> tracks;
  };

  void WriteAlbum(Album& album);

  ReplayGainMode mode_;
  std::vector<std::string> keys_;
  std::map<std::string, Album> albums_;
  std::mutex lock_;
};

// The book of a run over the listed rows and their albums (album and album artist of each
// row's record); null when ReplayGain is off.
std::unique_ptr<ReplayGainBook> MakeReplayGainBook(ReplayGainMode mode, const FileList& rows);
