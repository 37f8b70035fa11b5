// The pictures of listed rows: a row keeps each picture's description and where its image lies
// in the source, and the image is read from the source again when an output is tagged.
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/AudioFormat.h"
#include "base/FileDescriptor.h"
#include "base/FileStamp.h"
#include "tagformats/common/ImageCopier.h"
#include "tags/Timerec.h"

// Gives the pictures just read from the source at `path` (stamped before the reading) their
// places, dropping any image read: a reader's place keeps its offset, other pictures are found
// again by their rank among the source's.
void PlacePictures(TagExtras& extras, const std::string& path, AudioFormat format, const FileStamp& stamp);

// A record whose placed pictures have their images again, read into buffers that the next
// record on this thread reuses. A picture whose source changed or went since it was read is
// left out: an output never gets another image than the one listed. For a writer that copies
// images, an image whose place has an offset stays out of the record: its source is checked and
// kept open, and the image is read only when the writer asks for it (Image).
class LoadedPictures : public ImageCopier {
 public:
  enum class Images { kRead, kLeftInSourceWherePossible };
  explicit LoadedPictures(const Timerec& record, Images images = Images::kRead);
  ~LoadedPictures();  // hands the buffers back for the next record
  LoadedPictures(const LoadedPictures&) = delete;
  LoadedPictures& operator=(const LoadedPictures&) = delete;

  const Timerec& record() const { return loaded_ ? *loaded_ : original_; }
  size_t leftOut() const { return leftOut_; }
  ImageBytes Image(const TagPicture& picture) const override;

 private:
  const Timerec& original_;
  std::map<std::string, FileDescriptor> sources_;  // by path: each still the file that was read
  mutable std::vector<std::vector<uint8_t>> images_;  // read for the writer, kept until it is done
  std::optional<Timerec> loaded_;  // only when some picture has a place
  size_t leftOut_ = 0;
};
