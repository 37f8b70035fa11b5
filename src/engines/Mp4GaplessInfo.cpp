#include "engines/Mp4GaplessInfo.h"

#include <taglib/mp4file.h>
#include <taglib/mp4tag.h>

#include <cinttypes>
#include <cstdio>

namespace {
const char* const kItemName = "----:com.apple.iTunes:iTunSMPB";
}  // namespace

std::string Mp4GaplessText(const Mp4GaplessInfo& info) {
  char text[160];
  std::snprintf(text, sizeof text, " 00000000 %08" PRIX32 " %08" PRIX32 " %016" PRIX64,
                static_cast<uint32_t>(info.priming), static_cast<uint32_t>(info.padding),
                static_cast<uint64_t>(info.length));
  std::string whole = text;
  for (int i = 0; i < 8; ++i) whole += " 00000000";
  return whole;
}

bool WriteMp4GaplessInfo(const std::string& path, const Mp4GaplessInfo& info) {
  TagLib::MP4::File file(path.c_str(), false);
  if (!file.isValid() || file.tag() == nullptr) return false;
  file.tag()->setItem(kItemName, TagLib::StringList(TagLib::String(Mp4GaplessText(info))));
  return file.save();
}
