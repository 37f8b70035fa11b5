#include "app/TagTransfer.h"

#include "tagformats/TagModules.h"

std::optional<Timerec> ReadSourceTags(const std::string& path, AudioFormat format) {
  const TagReader* reader = TagReaderFor(format);
  if (reader == nullptr) return std::nullopt;
  return reader->Read(path);
}

void WriteTagsToOutput(const std::string& outputPath, AudioFormat format, const Timerec& record) {
  if (const TagModule* module = TagModuleFor(format)) module->Write(outputPath, record);
}
