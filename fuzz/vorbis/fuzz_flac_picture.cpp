// Arbitrary bytes as a picture block of a Vorbis comment, both raw and as the base64 text the
// comment holds: a block that parses must give the same picture after being built again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tagformats/common/Base64.h"
#include "tagformats/vorbis/FlacPictureBlock.h"
#include "tagformats/vorbis/VorbisComments.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckBlock(const uint8_t* data, size_t size) {
  const std::optional<TagPicture> picture = ParseFlacPictureBlock(data, size);
  if (!picture) return;
  const std::vector<uint8_t> block = BuildFlacPictureBlock(*picture);
  const std::optional<TagPicture> again = ParseFlacPictureBlock(block.data(), block.size());
  Require(again && *again == *picture);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckBlock(data, size);
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const std::optional<std::vector<uint8_t>> decoded = DecodeBase64(text)) {
    Require(DecodeBase64(EncodeBase64(*decoded)) == decoded);
    CheckBlock(decoded->data(), decoded->size());
  }
  // The same text as a picture comment among others.
  const Timerec record = RecordFromComments({ParseComment("METADATA_BLOCK_PICTURE=" + text), ParseComment("TITLE=t")});
  Require(record.title == "t");
  return 0;
}
