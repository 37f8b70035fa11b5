// Arbitrary bytes through the ASF header walk (descriptions, extended attributes, pictures) and
// on into the WMA module's record.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/Utf8Repair.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/wma/AsfHeaderWalk.h"
#include "tagformats/wma/WmaModule.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  BufferByteSource source(data, size);
  const WmaTags tags = WmaModule::ReadTagsFromHeader(source);
  const Timerec& r = tags.record;
  for (const std::string* text : {&r.title, &r.artist, &r.year, &r.album, &r.comment, &r.genre, &tags.copyright}) {
    if (RepairUtf8(*text) != *text) std::abort();
  }
  for (const auto& [key, value] : r.extras.fields)
    if (RepairUtf8(key + value) != key + value || value.empty()) std::abort();
  for (const TagPicture& picture : r.extras.pictures)
    if (picture.data.empty() || RepairUtf8(picture.mimeType + picture.description) != picture.mimeType + picture.description)
      std::abort();
  return 0;
}
