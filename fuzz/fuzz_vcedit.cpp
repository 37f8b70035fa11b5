// The comment editor on arbitrary bytes: open, then write the whole stream, as the Vorbis tag
// module does; once as given and once with the page checksums made valid.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

#include <ogg/ogg.h>

#include "tagformats/vorbis/VorbisCommentEditor.h"

namespace {

// Mutations nearly always break page checksums, which stops the walk at the first page; a copy
// with every page's checksum made right lets them reach the header and audio handling.
std::vector<uint8_t> WithChecksumsSet(const uint8_t* data, size_t size) {
  std::vector<uint8_t> copy(data, data + size);
  size_t at = 0;
  while (at + 27 <= copy.size()) {
    if (std::memcmp(&copy[at], "OggS", 4) != 0) {
      ++at;
      continue;
    }
    size_t headerLength = 27 + copy[at + 26];
    if (at + headerLength > copy.size()) break;
    size_t bodyLength = 0;
    for (size_t i = at + 27; i < at + headerLength; ++i) bodyLength += copy[i];
    if (at + headerLength + bodyLength > copy.size()) break;
    ogg_page page{&copy[at], static_cast<long>(headerLength), &copy[at + headerLength],
                  static_cast<long>(bodyLength)};
    ogg_page_checksum_set(&page);
    at += headerLength + bodyLength;
  }
  return copy;
}

void EditOnce(const uint8_t* data, size_t size) {
  size_t position = 0;
  std::vector<uint8_t> sink;
  try {
    VorbisCommentEditor editor([&](void* buffer, size_t wanted) {
      const size_t got = std::min(wanted, size - position);
      if (got) std::memcpy(buffer, data + position, got);
      position += got;
      return got;
    });
    vorbis_comment_add_tag(&editor.comments(), "TITLE", "fuzz");
    // Copies what is written into a scratch buffer, so a bad page pointer would show.
    editor.Write([&](const void* bytes, size_t count) {
      sink.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + count);
      return true;
    });
  } catch (const VorbisStreamError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EditOnce(data, size);
  std::vector<uint8_t> fixed = WithChecksumsSet(data, size);
  EditOnce(fixed.data(), fixed.size());
  return 0;
}
