#include "app/TagTransfer.h"

#include "tagformats/TagModules.h"

std::optional<Timerec> ReadSourceTags(const std::string& path) {
  const TagReader* reader = TagReaderFor(path);
  if (reader == nullptr) return std::nullopt;
  return reader->Read(path);
}

void WriteTagsToOutput(const std::string& outputPath, const Timerec& record) {
  if (const TagModule* module = TagModuleFor(outputPath)) module->Write(outputPath, record);
}
