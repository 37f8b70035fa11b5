#include "app/TagTransfer.h"

#include "app/SourcePictures.h"
#include "tagformats/TagModules.h"

std::optional<Timerec> ReadSourceTags(const std::string& path, AudioFormat format) {
  if (TagReaderFor(format) == nullptr) return std::nullopt;
  return ReadSourceTags(path, format, FileStampOf(path));
}

std::optional<Timerec> ReadSourceTags(const std::string& path, AudioFormat format,
                                      const std::optional<FileStamp>& stamp) {
  const TagReader* reader = TagReaderFor(format);
  if (reader == nullptr) return std::nullopt;
  Timerec record = reader->ReadLeavingImages(path);
  if (stamp) PlacePictures(record.extras, path, format, *stamp);
  return record;
}

size_t WriteTagsToOutput(const std::string& outputPath, AudioFormat format, const Timerec& record) {
  const TagModule* module = TagModuleFor(format);
  if (module == nullptr) return 0;
  const LoadedPictures loaded(record, module->CopiesImages() ? LoadedPictures::Images::kLeftInSourceWherePossible
                                                             : LoadedPictures::Images::kRead);
  module->WriteCopyingImages(outputPath, loaded.record(), loaded);
  return loaded.leftOut();
}
