// The comment editor on arbitrary bytes: open through the read function, then write the whole
// stream, as WriteOGGTag does; once as given and once with the page checksums made valid.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include <ogg/ogg.h>

#include "tagformats/vorbis/vcedit.h"

namespace {

struct Input {
  const uint8_t* data;
  size_t size;
  size_t position;
};

size_t ReadInput(void* buffer, size_t size, size_t count, void* handle) {
  auto* in = static_cast<Input*>(handle);
  if (size == 0 || count == 0) return 0;
  size_t got = size * count;
  if (got > in->size - in->position) got = in->size - in->position;
  if (got) std::memcpy(buffer, in->data + in->position, got);
  in->position += got;
  return got / size;
}

// Copies what is written into a scratch buffer, so a bad page pointer would show.
size_t WriteSink(void* buffer, size_t size, size_t count, void* handle) {
  auto* sink = static_cast<std::vector<uint8_t>*>(handle);
  sink->resize(size * count);
  if (!sink->empty()) std::memcpy(sink->data(), buffer, sink->size());
  return count;
}

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
  Input input{data, size, 0};
  std::vector<uint8_t> sink;
  vcedit_state* state = vcedit_new_state();
  if (vcedit_open_callbacks(state, &input, ReadInput, WriteSink) == 0) {
    vorbis_comment* block = vcedit_comments(state);
    vorbis_comment_add_tag(block, "TITLE", "fuzz");
    vcedit_write(state, &sink);
  }
  vcedit_error(state);
  vcedit_clear(state);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  EditOnce(data, size);
  std::vector<uint8_t> fixed = WithChecksumsSet(data, size);
  EditOnce(fixed.data(), fixed.size());
  return 0;
}
