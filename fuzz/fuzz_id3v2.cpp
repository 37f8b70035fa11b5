// Feeds arbitrary bytes to the ID3v2 and ID3v1 readers the way ReadID3Tag does, and checks
// that whatever they return is valid UTF-8 that our own writer can turn into a readable tag.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "tagformats/ID3v2Builder.h"
#include "tagformats/ID3v2Parser.h"
#include "tagformats/ID3v2V1Fallback.h"
#include "tagformats/TextEncoding.h"

namespace {

void CheckUtf8(const ID3StructV2& fields) {
  for (const std::string* text : {&fields.title, &fields.artist, &fields.album, &fields.year, &fields.track,
                                  &fields.comment, &fields.genre}) {
    if (SanitizeUtf8(*text) != *text) std::abort();
  }
}

// Whatever we read must survive being written and read again.
void CheckRewrite(const ID3StructV2& fields) {
  const std::vector<uint8_t> tag = BuildID3v2Tag(fields);
  const std::optional<size_t> length = ID3v2TagLength(tag.data(), tag.size());
  if (!length || *length != tag.size()) std::abort();
  if (!ParseID3v2Tag(tag.data(), tag.size())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<ID3StructV2> fields = ParseID3v2Tag(data, size);
  if (!fields) fields = ParseID3v1Tag(data, size);
  if (fields) {
    CheckUtf8(*fields);
    CheckRewrite(*fields);
  }
  return 0;
}
