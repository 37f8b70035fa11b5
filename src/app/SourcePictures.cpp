#include "app/SourcePictures.h"

#include <fcntl.h>

#include <algorithm>
#include <exception>
#include <map>
#include <utility>
#include <vector>

#include "base/FileDescriptor.h"
#include "tagformats/TagModules.h"

namespace {

// Image buffers kept from one output to the next on this thread, so that each output does not
// fault in fresh pages for its images. Rare huge images are not held for the rest of the run.
constexpr size_t kMaxSpareBytes = size_t{16} << 20;
thread_local std::vector<std::vector<uint8_t>> spareBuffers;

size_t SpareBytes() {
  size_t bytes = 0;
  for (const std::vector<uint8_t>& buffer : spareBuffers) bytes += buffer.capacity();
  return bytes;
}

// A spare keeps its size, so that the next image of the same size or smaller is not zeroed
// before it is read over; the spares go back in reverse, and the next record's pictures take
// them in order, each the buffer of the picture at its rank before.
std::vector<uint8_t> TakeBuffer(size_t size) {
  std::vector<uint8_t> buffer;
  if (!spareBuffers.empty()) {
    buffer = std::move(spareBuffers.back());
    spareBuffers.pop_back();
  }
  buffer.resize(size);
  return buffer;
}

void GiveBack(std::vector<uint8_t> buffer) {
  if (buffer.empty() || SpareBytes() + buffer.capacity() > kMaxSpareBytes) return;
  spareBuffers.push_back(std::move(buffer));
}

bool SameDescription(const TagPicture& a, const TagPicture& b) {
  return a.type == b.type && a.mimeType == b.mimeType && a.description == b.description;
}

using OpenedSources = std::map<std::string, FileDescriptor>;  // not valid once a source changed
using PicturesReadAgain = std::map<std::string, std::vector<TagPicture>>;

int OpenedSource(const PicturePlace& place, OpenedSources& opened) {
  auto found = opened.find(place.path);
  if (found == opened.end()) {
    FileDescriptor fd(::open(place.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.valid() && FileStampOf(fd.get()) != place.source) fd = FileDescriptor();
    found = opened.emplace(place.path, std::move(fd)).first;
  }
  return found->second.get();
}

// The image at its offset, read while the source is still the file that was read.
bool ReadInPlace(const PicturePlace& place, OpenedSources& opened, std::vector<uint8_t>& out) {
  const int fd = OpenedSource(place, opened);
  if (fd < 0) return false;
  out = TakeBuffer(static_cast<size_t>(place.size));
  return ReadAt(fd, out.data(), out.size(), *place.offset) == out.size();
}

// The source's pictures, its tags read again as when it was listed; none once it changed.
std::vector<TagPicture> ReadAgain(const PicturePlace& place) {
  if (FileStampOf(place.path) != place.source) return {};
  try {
    return TagReaderFor(place.format)->Read(place.path).extras.pictures;
  } catch (const std::exception&) {
    return {};
  }
}

// The picture of the place's rank among its source's, when it is still the one listed.
bool TakeReadAgain(TagPicture& picture, PicturesReadAgain& readAgain) {
  const PicturePlace& place = *picture.place;
  auto found = readAgain.find(place.path);
  if (found == readAgain.end()) found = readAgain.emplace(place.path, ReadAgain(place)).first;
  std::vector<TagPicture>& fresh = found->second;
  if (place.rank >= fresh.size()) return false;
  TagPicture& match = fresh[place.rank];
  if (!SameDescription(match, picture) || match.data.size() != place.size) return false;
  picture.data = std::move(match.data);
  return true;
}

bool Load(TagPicture& picture, OpenedSources& opened, PicturesReadAgain& readAgain) {
  return picture.place->offset ? ReadInPlace(*picture.place, opened, picture.data) : TakeReadAgain(picture, readAgain);
}

}  // namespace

void PlacePictures(TagExtras& extras, const std::string& path, AudioFormat format, const FileStamp& stamp) {
  for (size_t rank = 0; rank < extras.pictures.size(); ++rank) {
    TagPicture& picture = extras.pictures[rank];
    const std::optional<uint64_t> offset = picture.place ? picture.place->offset : std::nullopt;
    picture.place = PicturePlace{path, format, stamp, picture.size(), offset, rank};
    std::vector<uint8_t>().swap(picture.data);
  }
}

LoadedPictures::LoadedPictures(const Timerec& record, Images images) : original_(record) {
  const bool copying = images == Images::kLeftInSourceWherePossible;
  auto staysInSource = [&](const TagPicture& picture) {
    return copying && picture.place->offset && OpenedSource(*picture.place, sources_) >= 0;
  };
  const std::vector<TagPicture>& pictures = record.extras.pictures;
  if (std::all_of(pictures.begin(), pictures.end(), [&](const TagPicture& p) { return !p.place || staysInSource(p); }))
    return;
  loaded_ = record;
  PicturesReadAgain readAgain;
  std::vector<TagPicture> kept;
  for (TagPicture& picture : loaded_->extras.pictures) {
    if (!picture.place || staysInSource(picture) || Load(picture, sources_, readAgain)) {
      kept.push_back(std::move(picture));
    } else {
      ++leftOut_;
      GiveBack(std::move(picture.data));
    }
  }
  loaded_->extras.pictures = std::move(kept);
}

ImageBytes LoadedPictures::Image(const TagPicture& picture) const {
  if (!picture.place || !picture.place->offset) return {};
  const auto source = sources_.find(picture.place->path);
  if (source == sources_.end() || !source->second.valid()) return {};
  std::vector<uint8_t> image = TakeBuffer(static_cast<size_t>(picture.place->size));
  if (ReadAt(source->second.get(), image.data(), image.size(), *picture.place->offset) != image.size()) {
    GiveBack(std::move(image));
    return {};
  }
  images_.push_back(std::move(image));
  return {images_.back().data(), images_.back().size()};
}

LoadedPictures::~LoadedPictures() {
  for (auto image = images_.rbegin(); image != images_.rend(); ++image) GiveBack(std::move(*image));
  if (!loaded_) return;
  std::vector<TagPicture>& pictures = loaded_->extras.pictures;
  for (auto picture = pictures.rbegin(); picture != pictures.rend(); ++picture)
    if (picture->place) GiveBack(std::move(picture->data));
}
