#include "tagformats/vorbis/VorbisCommentEditor.h"

#include <algorithm>
#include <cstdlib>
#include <new>

#include "tagformats/vorbis/VorbisCommentHeader.h"
#include "tagformats/vorbis/VorbisGranules.h"
#include "tagformats/vorbis/VorbisPageSource.h"
#include "tagformats/vorbis/VorbisStreamWriter.h"

namespace {

[[noreturn]] void Fail(const char* text) { throw VorbisStreamError(text); }

template <typename T>
void Regrow(T*& buffer, long count) {
  void* grown = realloc(buffer, static_cast<size_t>(count) * sizeof(T));
  if (grown == nullptr) throw std::bad_alloc();
  buffer = static_cast<T*>(grown);
}

// libogg grows a stream's buffers by what each page needs, one realloc and copy per page, so a
// packet over hundreds of pages (a large picture among the comments) costs time in the square
// of its size. Doubling them ahead of ogg_stream_pagein keeps that linear; libogg frees them
// with free() as ever.
void GrowAhead(ogg_stream_state& stream, const ogg_page& page) {
  const long body = stream.body_fill + page.body_len + 1;
  if (stream.body_storage <= body) {
    const long storage = std::max(body, 2 * stream.body_storage);
    Regrow(stream.body_data, storage);
    stream.body_storage = storage;
  }
  const long lacing = stream.lacing_fill + page.header[26] + 1;
  if (stream.lacing_storage <= lacing) {
    const long storage = std::max(lacing, 2 * stream.lacing_storage);
    Regrow(stream.lacing_vals, storage);
    Regrow(stream.granule_vals, storage);
    stream.lacing_storage = storage;
  }
}

// Takes in one page of the stream, or fails.
void PageIn(ogg_stream_state& stream, ogg_page& page) {
  GrowAhead(stream, page);
  if (ogg_stream_pagein(&stream, &page) != 0) Fail("Corrupt page in the Ogg stream");
}

}  // namespace

ogg_packet VorbisCommentEditor::PacketCopy::AsPacket() {
  ogg_packet packet{};
  packet.packet = bytes.data();
  packet.bytes = static_cast<long>(bytes.size());
  return packet;
}

VorbisCommentEditor::VorbisCommentEditor(VorbisByteReader read)
    : source_(std::make_unique<VorbisPageSource>(std::move(read))) {
  vorbis_info_init(&info_);
  vorbis_comment_init(&comments_);
  try {
    ReadHeaders();
  } catch (...) {
    if (streamOpen_) ogg_stream_clear(&stream_);
    vorbis_comment_clear(&comments_);
    vorbis_info_clear(&info_);
    throw;
  }
}

VorbisCommentEditor::~VorbisCommentEditor() {
  if (streamOpen_) ogg_stream_clear(&stream_);
  vorbis_comment_clear(&comments_);
  vorbis_info_clear(&info_);
}

// Next page of our logical stream; any other stream's page means a layout we do not rewrite.
void VorbisCommentEditor::NextOwnPage(ogg_page& page, const char* truncatedText) {
  switch (source_->Next(page)) {
    case VorbisPageSource::Result::End:
      Fail(truncatedText);
    case VorbisPageSource::Result::Hole:
      Fail("Corrupt or missing data in the Ogg stream");
    case VorbisPageSource::Result::Page:
      break;
  }
  if (ogg_page_serialno(&page) != serial_) Fail("Multiplexed Ogg streams are not supported");
  PageIn(stream_, page);
  if (ogg_page_eos(&page)) inputEnded_ = true;
}

void VorbisCommentEditor::ReadFirstPage() {
  ogg_page page;
  if (source_->Next(page) != VorbisPageSource::Result::Page) Fail("Input is not an Ogg bitstream");
  if (!ogg_page_bos(&page)) Fail("Ogg bitstream does not start with a first page");
  serial_ = ogg_page_serialno(&page);
  ogg_stream_init(&stream_, serial_);
  streamOpen_ = true;
  PageIn(stream_, page);
  if (ogg_page_eos(&page)) inputEnded_ = true;
}

void VorbisCommentEditor::TakeHeader(ogg_packet& packet, int index) {
  static const char* const kCorrupt[] = {"Corrupt Vorbis identification header",
                                         "Corrupt Vorbis comment header",
                                         "Corrupt Vorbis setup header"};
  if (index == 0 && vorbis_synthesis_idheader(&packet) != 1)
    Fail("First logical stream is not Ogg Vorbis");
  if (vorbis_synthesis_headerin(&info_, &comments_, &packet) != 0) Fail(kCorrupt[index]);
  if (index == 0) identification_.Keep(packet);
  if (index == 2) setup_.Keep(packet);
}

void VorbisCommentEditor::ReadHeaders() {
  ReadFirstPage();
  int headers = 0;
  while (headers < 3) {
    ogg_packet packet;
    int got = ogg_stream_packetout(&stream_, &packet);
    if (got < 0) Fail("Corrupt or missing data in the Vorbis headers");
    if (got > 0) {
      TakeHeader(packet, headers++);
      continue;
    }
    ogg_page page;
    NextOwnPage(page, "Vorbis headers are incomplete (file truncated)");
  }
}

// Packets finished on the pages taken in so far.
void VorbisCommentEditor::DrainPackets(std::vector<ogg_packet>& batch) {
  batch.clear();
  ogg_packet packet;
  int got;
  while ((got = ogg_stream_packetout(&stream_, &packet)) != 0) {
    if (got < 0) Fail("Corrupt or missing data in the audio pages");
    batch.push_back(packet);
  }
}

// Bytes after the end of our stream: junk is dropped, a further logical stream is refused.
void VorbisCommentEditor::CheckNothingFollows() {
  ogg_page page;
  for (;;) {
    VorbisPageSource::Result result = source_->Next(page);
    if (result == VorbisPageSource::Result::End) return;
    if (result == VorbisPageSource::Result::Page) {
      if (ogg_page_bos(&page)) Fail("Chained Ogg streams are not supported");
      Fail("Ogg pages follow the end of the stream");
    }
  }
}

void VorbisCommentEditor::Write(const VorbisByteWriter& write) {
  if (written_) Fail("The stream has already been written");
  written_ = true;
  std::vector<ogg_packet> batch;
  DrainPackets(batch);
  VorbisStreamWriter writer(serial_, write);

  PacketCopy commentHeader{BuildVorbisCommentHeader(comments_)};
  ogg_packet comment = commentHeader.AsPacket();
  ogg_packet identification = identification_.AsPacket();
  ogg_packet setup = setup_.AsPacket();
  setup.e_o_s = inputEnded_ && batch.empty() ? 1 : 0;
  if (!writer.WriteHeaders(identification, comment, setup)) Fail("Write error");

  VorbisGranules granules(info_);
  for (;;) {
    granules.Assign(batch);
    if (!writer.WritePackets(batch)) Fail("Write error");
    if (inputEnded_) break;
    ogg_page page;
    NextOwnPage(page, "Ogg stream is truncated (no end-of-stream page)");
    DrainPackets(batch);
  }
  CheckNothingFollows();
}
