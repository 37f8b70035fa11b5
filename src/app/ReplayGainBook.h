// The ReplayGain tags of one run. Track mode tags each output as it is finished. Album mode
// keeps each output's measurement until every row of its album (the rows of the run that
// share album and album artist) is done, then tags all of them with track and album values;
// the album's loudness takes every gating block of all its tracks, its peak is the largest.
// Jobs converting side by side report to the one book.
#pragma once

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/LoudnessOptions.h"
#include "engines/LoudnessMeter.h"
#include "tags/TagTable.h"

class FileList;

// Rows with the same album name and album artist form an album; a row without an album name
// is an album of its own.
std::string AlbumKeyOf(const std::string& album, const std::string& albumArtist, size_t row);

class ReplayGainBook {
 public:
  // One album key per listed row.
  ReplayGainBook(ReplayGainMode mode, std::vector<std::string> albumKeys);

  // The row's output is finished (tags written) and was measured while written; a null meter
  // (the output was not measured) counts the row as done without tags. Tag errors pass.
  void TrackDone(size_t row, const std::string& outputPath, std::unique_ptr<LoudnessMeter> meter);
  // At the run's end: albums that lost rows on the way (missing sources, Stop, errors) are
  // tagged over the outputs they have.
  void WriteUnfinishedAlbums();

 private:
  struct Track {
    std::string outputPath;
    std::unique_ptr<LoudnessMeter> meter;
    LoudnessResult result;
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

// The book of a run over the listed rows, their albums (album and album artist) taken from
// the tag table; null when ReplayGain is off.
std::unique_ptr<ReplayGainBook> MakeReplayGainBook(ReplayGainMode mode, const FileList& rows,
                                                   const TagTable& tags);
