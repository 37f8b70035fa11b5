// The Vorbis stream code on arbitrary bytes, as the tag module uses it: the comment editor
// opens the stream and writes it whole, and the streaming reader reads its comments; once as
// given and once with the page checksums made valid. Whatever the editor can open, the
// streaming reader must read too, with the same record. The reader that picks the first
// stream of any codec with a comment block (Opus, FLAC, Speex too) runs on the same bytes.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <memory>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <ogg/ogg.h>

#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "tagformats/vorbis/OggComments.h"
#include "tagformats/vorbis/VorbisHeaderReader.h"
#include "tagformats/vorbis/VorbisPacketStream.h"

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

VorbisByteReader MemoryReader(const uint8_t* data, size_t size) {
  auto position = std::make_shared<size_t>(0);
  return [=](void* buffer, size_t wanted) {
    const size_t got = std::min(wanted, size - *position);
    if (got) std::memcpy(buffer, data + *position, got);
    *position += got;
    return got;
  };
}

// The record the editor's comment block gives, or nothing when the editor refuses the input.
std::optional<Timerec> EditOnce(const uint8_t* data, size_t size) {
  try {
    VorbisCommentEditor editor(MemoryReader(data, size));
    const Timerec record = RecordFromComments(ParseCommentBlock(editor.comments()));
    vorbis_comment_add_tag(&editor.comments(), "TITLE", "fuzz");
    // Copies what is written into a scratch buffer, so a bad page pointer would show.
    std::vector<uint8_t> sink;
    try {
      editor.Write([&](const void* bytes, size_t count) {
        sink.assign(static_cast<const uint8_t*>(bytes), static_cast<const uint8_t*>(bytes) + count);
        return true;
      });
    } catch (const VorbisStreamError&) {
    }
    return record;
  } catch (const VorbisStreamError&) {
    return std::nullopt;
  }
}

std::optional<Timerec> StreamOnce(const uint8_t* data, size_t size) {
  try {
    // The editor works on the file's first stream, so the streaming reader follows that one.
    VorbisPacketStream packets(MemoryReader(data, size), [](const ogg_page&) { return true; });
    return RecordFromComments(ReadVorbisComments(packets));
  } catch (const VorbisStreamError&) {
    return std::nullopt;
  }
}

void ReadAnyCodecOnce(const uint8_t* data, size_t size) {
  try {
    RecordFromComments(ReadOggComments(MemoryReader(data, size)));
  } catch (const VorbisStreamError&) {
  }
}

void Check(const uint8_t* data, size_t size) {
  const std::optional<Timerec> edited = EditOnce(data, size);
  const std::optional<Timerec> streamed = StreamOnce(data, size);
  if (edited && !(streamed && *streamed == *edited)) std::abort();
  ReadAnyCodecOnce(data, size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(data, size);
  std::vector<uint8_t> fixed = WithChecksumsSet(data, size);
  Check(fixed.data(), fixed.size());
  return 0;
}
