// The comment header parse from bytes: the input is a Vorbis comment header packet, unpacked
// by libvorbis after a fixed identification header and turned into a record, and parsed as
// it streams by our own reader. Whatever libvorbis accepts, the streaming parse must accept
// too, with the same record.
#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include <vorbis/codec.h>

#include "tagformats/vorbis/VorbisCommentPacket.h"
#include "tagformats/vorbis/VorbisComments.h"

namespace {

// A valid identification header: 2 channels, 44100 Hz, block sizes 256 and 2048.
std::vector<unsigned char> IdentificationHeader() {
  std::vector<unsigned char> h = {1, 'v', 'o', 'r', 'b', 'i', 's', 0, 0, 0, 0, 2,
                                  0x44, 0xAC, 0, 0, 0, 0, 0, 0, 0x80, 0xBB, 0, 0,
                                  0, 0, 0, 0, 0xB8, 1};
  return h;
}

// The record of the streaming parse, or nothing when it refuses the packet.
std::optional<Timerec> StreamedRecord(const uint8_t* data, size_t size) {
  size_t position = 0;
  try {
    return RecordFromComments(ReadCommentPacket([&](uint8_t* out, size_t wanted) {
      const size_t got = std::min(wanted, size - position);
      if (got) std::memcpy(out, data + position, got);
      position += got;
      return got;
    }));
  } catch (const VorbisStreamError&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static std::vector<unsigned char> identification = IdentificationHeader();
  vorbis_info info;
  vorbis_comment block;
  vorbis_info_init(&info);
  vorbis_comment_init(&block);

  ogg_packet packet{};
  packet.packet = identification.data();
  packet.bytes = static_cast<long>(identification.size());
  packet.b_o_s = 1;
  if (vorbis_synthesis_headerin(&info, &block, &packet) == 0) {
    std::vector<unsigned char> comment(data, data + size);
    packet.packet = comment.data();
    packet.bytes = static_cast<long>(comment.size());
    packet.b_o_s = 0;
    if (vorbis_synthesis_headerin(&info, &block, &packet) == 0) {
      const Timerec tag = RecordFromComments(ParseCommentBlock(block));
      const std::optional<Timerec> streamed = StreamedRecord(data, size);
      if (!streamed || !(*streamed == tag)) std::abort();
    }
  }
  vorbis_comment_clear(&block);
  vorbis_info_clear(&info);
  return 0;
}
