// Arbitrary bytes through the ASF header walk (descriptions, extended attributes, pictures) and
// on into the WMA module's record; and through the header model our writer rebuilds headers
// with, whose rendering must read back as itself.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "base/Utf8Repair.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/wma/AsfHeaderModel.h"
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
  uint64_t headerSize = 0;  // the model takes the header object alone, as the writer reads it
  for (size_t i = 24; i-- > 16 && size >= 24;) headerSize = headerSize << 8 | data[i];
  if (size < 24 || headerSize > size) return 0;
  if (const std::optional<AsfHeaderModel> model = AsfHeaderModel::Parse(data, static_cast<size_t>(headerSize))) {
    // Values may change places between the objects (a name's first value is the one of the
    // object that comes first), but every value must come back.
    const std::vector<uint8_t> rendered = model->Render().bytes;
    if (!rendered.empty()) {
      const std::optional<AsfHeaderModel> again = AsfHeaderModel::Parse(rendered.data(), rendered.size());
      if (!again || again->attributes.size() != model->attributes.size() || again->description != model->description)
        std::abort();
      for (const auto& [name, values] : model->attributes)
        if (again->attributes.at(name).size() != values.size()) std::abort();
    }
  }
  return 0;
}
