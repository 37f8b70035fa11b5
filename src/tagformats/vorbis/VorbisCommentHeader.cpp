#include "tagformats/vorbis/VorbisCommentHeader.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

const char kPacketStart[] = "\x03vorbis";
constexpr size_t kPacketStartSize = sizeof kPacketStart - 1;

uint32_t LittleEndian32(const unsigned char* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

// The vendor text libvorbis writes, taken from the header it builds for an empty block, so
// the packet is the very one libvorbis would give.
const std::string& LibraryVendor() {
  static const std::string vendor = [] {
    std::string text;
    vorbis_comment empty;
    vorbis_comment_init(&empty);
    ogg_packet packet;
    if (vorbis_commentheader_out(&empty, &packet) == 0) {
      const size_t bytes = static_cast<size_t>(packet.bytes);
      const size_t start = kPacketStartSize + 4;
      if (bytes >= start && LittleEndian32(packet.packet + kPacketStartSize) <= bytes - start)
        text.assign(reinterpret_cast<const char*>(packet.packet) + start, LittleEndian32(packet.packet + kPacketStartSize));
      ogg_packet_clear(&packet);
    }
    vorbis_comment_clear(&empty);
    return text;
  }();
  return vendor;
}

void PutLength(std::vector<unsigned char>& packet, size_t length) {
  for (int shift = 0; shift < 32; shift += 8) packet.push_back(static_cast<unsigned char>(length >> shift));
}

void PutText(std::vector<unsigned char>& packet, const char* text, size_t length) {
  PutLength(packet, length);
  // As bytes, so that a picture's long comment is copied in one go rather than char by char.
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
  packet.insert(packet.end(), bytes, bytes + length);
}

int CommentLength(const vorbis_comment& comments, int i) {
  return comments.user_comments[i] != nullptr ? comments.comment_lengths[i] : 0;
}

}  // namespace

std::vector<unsigned char> BuildVorbisCommentHeader(const vorbis_comment& comments) {
  const std::string& vendor = LibraryVendor();
  size_t size = kPacketStartSize + 4 + vendor.size() + 4 + 1;
  for (int i = 0; i < comments.comments; ++i) size += 4 + static_cast<size_t>(CommentLength(comments, i));
  std::vector<unsigned char> packet(kPacketStart, kPacketStart + kPacketStartSize);
  packet.reserve(size);
  PutText(packet, vendor.data(), vendor.size());
  PutLength(packet, static_cast<size_t>(comments.comments));
  for (int i = 0; i < comments.comments; ++i)
    PutText(packet, comments.user_comments[i], static_cast<size_t>(CommentLength(comments, i)));
  packet.push_back(1);  // the framing bit
  return packet;
}
