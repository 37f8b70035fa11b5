#include "tagformats/vorbis/VorbisHeaderReader.h"

#include <vector>

#include "tagformats/vorbis/VorbisCommentPacket.h"

namespace {

// The identification header is 30 bytes; setup headers take a few kilobytes, and past this
// size the stream is not a real Vorbis stream.
constexpr size_t kMaxIdentificationBytes = 4096;
constexpr size_t kMaxSetupBytes = 16 * 1024 * 1024;

[[noreturn]] void Fail(const char* text) { throw VorbisStreamError(text); }

std::vector<unsigned char> WholePacket(VorbisPacketStream& packets, size_t limit) {
  std::vector<unsigned char> bytes;
  unsigned char block[4096];
  while (const size_t got = packets.Read(block, sizeof block)) {
    if (bytes.size() + got > limit) Fail("Vorbis headers are too large");
    bytes.insert(bytes.end(), block, block + got);
  }
  return bytes;
}

ogg_packet AsPacket(std::vector<unsigned char>& bytes, bool first) {
  ogg_packet packet{};
  packet.packet = bytes.data();
  packet.bytes = static_cast<long>(bytes.size());
  packet.b_o_s = first ? 1 : 0;
  return packet;
}

// libvorbis checks a header against those before it; the decoder state lives for one read.
class HeaderCheck {
 public:
  HeaderCheck() {
    vorbis_info_init(&info_);
    vorbis_comment_init(&comments_);
  }
  ~HeaderCheck() {
    vorbis_comment_clear(&comments_);
    vorbis_info_clear(&info_);
  }
  HeaderCheck(const HeaderCheck&) = delete;
  HeaderCheck& operator=(const HeaderCheck&) = delete;

  bool Take(ogg_packet& packet) { return vorbis_synthesis_headerin(&info_, &comments_, &packet) == 0; }

 private:
  vorbis_info info_;
  vorbis_comment comments_;
};

}  // namespace

TStrComments ReadVorbisComments(VorbisPacketStream& packets) {
  HeaderCheck check;

  std::vector<unsigned char> identification = WholePacket(packets, kMaxIdentificationBytes);
  ogg_packet packet = AsPacket(identification, true);
  if (vorbis_synthesis_idheader(&packet) != 1) Fail("First logical stream is not Ogg Vorbis");
  if (!check.Take(packet)) Fail("Corrupt Vorbis identification header");

  packets.NextPacket();
  TStrComments comments = ReadCommentPacket([&](uint8_t* out, size_t size) { return packets.Read(out, size); });
  // The decoder needs a comment header before the setup header; an empty one stands in.
  std::vector<unsigned char> empty = {3, 'v', 'o', 'r', 'b', 'i', 's', 0, 0, 0, 0, 0, 0, 0, 0, 1};
  packet = AsPacket(empty, false);
  if (!check.Take(packet)) Fail("Corrupt Vorbis comment header");

  packets.NextPacket();
  std::vector<unsigned char> setup = WholePacket(packets, kMaxSetupBytes);
  packet = AsPacket(setup, false);
  if (!check.Take(packet)) Fail("Corrupt Vorbis setup header");
  return comments;
}
