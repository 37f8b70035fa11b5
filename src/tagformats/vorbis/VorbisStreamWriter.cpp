#include "tagformats/vorbis/VorbisStreamWriter.h"

namespace {
// Larger than any page can hold, so a flush only breaks a page where the 255-segment limit does.
constexpr int kWholePage = 255 * 255 + 1;
}  // namespace

VorbisStreamWriter::VorbisStreamWriter(int serial, const VorbisByteWriter& write) : write_(write) {
  ogg_stream_init(&stream_, serial);
}

VorbisStreamWriter::~VorbisStreamWriter() { ogg_stream_clear(&stream_); }

bool VorbisStreamWriter::WriteHeaders(ogg_packet& identification, ogg_packet& comment,
                                      ogg_packet& setup) {
  identification.b_o_s = 1;
  identification.granulepos = comment.granulepos = setup.granulepos = 0;
  comment.b_o_s = setup.b_o_s = 0;
  comment.e_o_s = 0;
  if (ogg_stream_packetin(&stream_, &identification) != 0 || !FlushAll()) return false;
  if (ogg_stream_packetin(&stream_, &comment) != 0) return false;
  if (ogg_stream_packetin(&stream_, &setup) != 0) return false;
  return FlushAll();
}

bool VorbisStreamWriter::WritePackets(std::vector<ogg_packet>& packets) {
  for (auto& packet : packets) {
    packet.b_o_s = 0;
    if (ogg_stream_packetin(&stream_, &packet) != 0) return false;
  }
  return FlushAll();
}

bool VorbisStreamWriter::FlushAll() {
  ogg_page page;
  while (ogg_stream_flush_fill(&stream_, &page, kWholePage) != 0) {
    if (!WritePage(page)) return false;
  }
  return ogg_stream_check(&stream_) == 0;
}

bool VorbisStreamWriter::WritePage(const ogg_page& page) {
  return write_(page.header, static_cast<size_t>(page.header_len)) &&
         write_(page.body, static_cast<size_t>(page.body_len));
}
