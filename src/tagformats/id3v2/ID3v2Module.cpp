#include "tagformats/id3v2/ID3v2Module.h"

#include <memory>
#include <optional>

#include "tagformats/generic/GenericTagReader.h"
#include "tagformats/id3v2/ID3v2Builder.h"
#include "tagformats/id3v2/ID3v2FilePrepend.h"
#include "tagformats/id3v2/ID3v2Parser.h"
#include "tagformats/id3v2/ID3v2V1Fallback.h"

namespace {

// Fields the ID3v2 tag leaves empty take the ID3v1 value, as common tag readers do.
void FillEmptyFields(Timerec& fields, const Timerec& fallback) {
  for (auto member : {&Timerec::title, &Timerec::artist, &Timerec::year, &Timerec::album,
                      &Timerec::comment, &Timerec::genre, &Timerec::track}) {
    if ((fields.*member).empty()) fields.*member = fallback.*member;
  }
}

}  // namespace

Timerec ID3v2Module::Read(const std::string& path) const { return ReadFile(path, PictureImages::kRead); }

Timerec ID3v2Module::ReadLeavingImages(const std::string& path) const {
  return ReadFile(path, PictureImages::kLeftInPlace);
}

Timerec ID3v2Module::ReadFile(const std::string& path, PictureImages images) {
  const std::unique_ptr<FileByteSource> source = FileByteSource::Open(path);
  if (!source) throw TagError("Cannot open file " + path);
  std::optional<Timerec> tag = ParseID3v2Tag(*source, images);
  if (!tag) tag = ReadMpegApeTag(path);
  Timerec fields = tag ? std::move(*tag) : Timerec{};
  uint8_t tail[kID3v1TagSize];
  if (source->size() >= kID3v1TagSize && source->readAt(source->size() - kID3v1TagSize, tail, sizeof tail)) {
    if (const std::optional<Timerec> v1 = ParseID3v1Tag(tail, sizeof tail)) FillEmptyFields(fields, *v1);
  }
  return fields;
}

void ID3v2Module::Write(const std::string& path, const Timerec& record) const {
  PutTagAtStart(path, BuildID3v2TagLeavingImages(record), nullptr);
}

void ID3v2Module::WriteCopyingImages(const std::string& path, const Timerec& record, const ImageCopier& images) const {
  PutTagAtStart(path, BuildID3v2TagLeavingImages(record), &images);
}
