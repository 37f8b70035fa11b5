#include "app/TagTransfer.h"

#include "tagformats/TagModules.h"

std::optional<Timerec> ReadSourceTags(const std::string& path) {
  const TagModule* module = TagModuleFor(path);
  if (module == nullptr) return std::nullopt;
  return module->Read(path);
}

void WriteTagsToOutput(const std::string& outputPath, const Timerec& record) {
  if (const TagModule* module = TagModuleFor(outputPath)) module->Write(outputPath, record);
}
