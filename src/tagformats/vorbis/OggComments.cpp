#include "tagformats/vorbis/OggComments.h"

#include <cstring>

#include "tagformats/vorbis/VorbisCommentPacket.h"
#include "tagformats/vorbis/VorbisHeaderReader.h"
#include "tagformats/vorbis/VorbisPacketStream.h"

namespace {

enum class OggCodec { kNone, kVorbis, kOpus, kFlac, kSpeex };

bool StartsWith(const ogg_page& page, const char* magic, size_t length) {
  return static_cast<size_t>(page.body_len) >= length && std::memcmp(page.body, magic, length) == 0;
}

// A stream's first page holds its identification header alone, which names the codec.
OggCodec CodecOf(const ogg_page& firstPage) {
  if (StartsWith(firstPage, "\x01vorbis", 7)) return OggCodec::kVorbis;
  if (StartsWith(firstPage, "OpusHead", 8)) return OggCodec::kOpus;
  if (StartsWith(firstPage, "\x7f" "FLAC", 5)) return OggCodec::kFlac;
  if (StartsWith(firstPage, "Speex   ", 8)) return OggCodec::kSpeex;
  return OggCodec::kNone;
}

VorbisPacketReader ReaderOf(VorbisPacketStream& packets) {
  return [&packets](uint8_t* out, size_t size) { return packets.Read(out, size); };
}

// Ogg FLAC's second packet is a metadata block, the comment block when the encoder followed
// the mapping; anything else means the stream has no comments to offer.
TStrComments ReadFlacComments(VorbisPacketStream& packets) {
  uint8_t blockHeader[4];
  if (packets.Read(blockHeader, sizeof blockHeader) != sizeof blockHeader) return {};
  constexpr uint8_t kCommentBlock = 4;
  if ((blockHeader[0] & 0x7f) != kCommentBlock) return {};
  return ReadCommentPacket(ReaderOf(packets), CommentPacketLayout{"", false});
}

}  // namespace

TStrComments ReadOggComments(VorbisByteReader read) {
  OggCodec codec = OggCodec::kNone;
  VorbisPacketStream packets(std::move(read), [&codec](const ogg_page& firstPage) {
    codec = CodecOf(firstPage);
    return codec != OggCodec::kNone;
  });
  if (codec == OggCodec::kVorbis) return ReadVorbisComments(packets);
  if (codec == OggCodec::kNone || !packets.found()) return {};
  packets.NextPacket();
  switch (codec) {
    case OggCodec::kOpus: return ReadCommentPacket(ReaderOf(packets), CommentPacketLayout{"OpusTags", false});
    case OggCodec::kSpeex: return ReadCommentPacket(ReaderOf(packets), CommentPacketLayout{"", false});
    case OggCodec::kFlac: return ReadFlacComments(packets);
    case OggCodec::kVorbis:
    case OggCodec::kNone: break;
  }
  return {};
}
