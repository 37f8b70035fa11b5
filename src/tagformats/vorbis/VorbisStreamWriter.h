// Lays Vorbis packets out on Ogg pages and hands the pages to a caller's write function. Header
// pages follow the Ogg Vorbis framing: the identification header alone on the first page, the
// comment and setup headers ending on a page boundary.
#pragma once

#include <vector>

#include <ogg/ogg.h>

#include "tagformats/vorbis/VorbisCommentEditor.h"

class VorbisStreamWriter {
 public:
  VorbisStreamWriter(int serial, const VorbisByteWriter& write);
  ~VorbisStreamWriter();
  VorbisStreamWriter(const VorbisStreamWriter&) = delete;
  VorbisStreamWriter& operator=(const VorbisStreamWriter&) = delete;

  bool WriteHeaders(ogg_packet& identification, ogg_packet& comment, ogg_packet& setup);

  // Puts the packets finished on one input page onto pages of their own, so pages end where the
  // input's pages ended and keep their granule positions.
  bool WritePackets(std::vector<ogg_packet>& packets);

 private:
  bool FlushAll();
  bool WritePage(const ogg_page& page);

  ogg_stream_state stream_;
  const VorbisByteWriter& write_;
};
