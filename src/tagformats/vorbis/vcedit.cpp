#include "tagformats/vorbis/vcedit.h"

#include <exception>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "tagformats/vorbis/VorbisGranules.h"
#include "tagformats/vorbis/VorbisPageSource.h"
#include "tagformats/vorbis/VorbisStreamWriter.h"

namespace {

// Header packets past this size are not a real Vorbis stream; it keeps a hostile file from
// making us buffer without end.
constexpr long kMaxHeaderBytes = 16L * 1024 * 1024;

struct PacketCopy {
  std::vector<unsigned char> bytes;

  void Keep(const ogg_packet& packet) { bytes.assign(packet.packet, packet.packet + packet.bytes); }

  ogg_packet AsPacket() {
    ogg_packet packet{};
    packet.packet = bytes.data();
    packet.bytes = static_cast<long>(bytes.size());
    return packet;
  }
};

struct Failure {
  std::string text;
};

}  // namespace

struct vcedit_state {
  vcedit_state() {
    vorbis_info_init(&info);
    vorbis_comment_init(&comments);
  }
  ~vcedit_state() {
    if (streamOpen) ogg_stream_clear(&stream);
    vorbis_comment_clear(&comments);
    vorbis_info_clear(&info);
  }
  vcedit_state(const vcedit_state&) = delete;
  vcedit_state& operator=(const vcedit_state&) = delete;

  vcedit_io_func write = nullptr;
  std::unique_ptr<VorbisPageSource> source;
  ogg_stream_state stream{};
  bool streamOpen = false;
  int serial = 0;
  bool inputEnded = false;  // the end-of-stream page has been taken in
  vorbis_info info;
  vorbis_comment comments;
  PacketCopy identification;
  PacketCopy setup;
  bool opened = false;
  bool written = false;
  std::string error;
};

namespace {

[[noreturn]] void Fail(const char* text) { throw Failure{text}; }

// Next page of our logical stream; any other stream's page means a layout we do not rewrite.
void NextOwnPage(vcedit_state& s, ogg_page& page, const char* truncatedText) {
  switch (s.source->Next(page)) {
    case VorbisPageSource::Result::End:
      Fail(truncatedText);
    case VorbisPageSource::Result::Hole:
      Fail("Corrupt or missing data in the Ogg stream");
    case VorbisPageSource::Result::Page:
      break;
  }
  if (ogg_page_serialno(&page) != s.serial) Fail("Multiplexed Ogg streams are not supported");
  if (ogg_stream_pagein(&s.stream, &page) != 0) Fail("Corrupt page in the Ogg stream");
  if (ogg_page_eos(&page)) s.inputEnded = true;
}

void ReadFirstPage(vcedit_state& s) {
  ogg_page page;
  if (s.source->Next(page) != VorbisPageSource::Result::Page) Fail("Input is not an Ogg bitstream");
  if (!ogg_page_bos(&page)) Fail("Ogg bitstream does not start with a first page");
  s.serial = ogg_page_serialno(&page);
  ogg_stream_init(&s.stream, s.serial);
  s.streamOpen = true;
  if (ogg_stream_pagein(&s.stream, &page) != 0) Fail("Corrupt page in the Ogg stream");
  if (ogg_page_eos(&page)) s.inputEnded = true;
}

void TakeHeader(vcedit_state& s, ogg_packet& packet, int index) {
  static const char* const kCorrupt[] = {"Corrupt Vorbis identification header",
                                         "Corrupt Vorbis comment header",
                                         "Corrupt Vorbis setup header"};
  if (index == 0 && vorbis_synthesis_idheader(&packet) != 1)
    Fail("First logical stream is not Ogg Vorbis");
  if (vorbis_synthesis_headerin(&s.info, &s.comments, &packet) != 0) Fail(kCorrupt[index]);
  if (index == 0) s.identification.Keep(packet);
  if (index == 2) s.setup.Keep(packet);
}

void ReadHeaders(vcedit_state& s) {
  ReadFirstPage(s);
  long headerBytes = 0;
  int headers = 0;
  while (headers < 3) {
    ogg_packet packet;
    int got = ogg_stream_packetout(&s.stream, &packet);
    if (got < 0) Fail("Corrupt or missing data in the Vorbis headers");
    if (got > 0) {
      TakeHeader(s, packet, headers++);
      continue;
    }
    ogg_page page;
    NextOwnPage(s, page, "Vorbis headers are incomplete (file truncated)");
    headerBytes += page.header_len + page.body_len;
    if (headerBytes > kMaxHeaderBytes) Fail("Vorbis headers are too large");
  }
}

// Packets finished on the pages taken in so far.
void DrainPackets(vcedit_state& s, std::vector<ogg_packet>& batch) {
  batch.clear();
  ogg_packet packet;
  int got;
  while ((got = ogg_stream_packetout(&s.stream, &packet)) != 0) {
    if (got < 0) Fail("Corrupt or missing data in the audio pages");
    batch.push_back(packet);
  }
}

void WriteHeaders(vcedit_state& s, VorbisStreamWriter& writer, bool noAudio) {
  ogg_packet comment;
  if (vorbis_commentheader_out(&s.comments, &comment) != 0) Fail("Cannot build the comment header");
  ogg_packet identification = s.identification.AsPacket();
  ogg_packet setup = s.setup.AsPacket();
  setup.e_o_s = noAudio ? 1 : 0;
  bool ok = writer.WriteHeaders(identification, comment, setup);
  ogg_packet_clear(&comment);
  if (!ok) Fail("Write error");
}

void CopyAudio(vcedit_state& s, VorbisStreamWriter& writer, std::vector<ogg_packet>& batch) {
  VorbisGranules granules(s.info);
  for (;;) {
    granules.Assign(batch);
    if (!writer.WritePackets(batch)) Fail("Write error");
    if (s.inputEnded) return;
    ogg_page page;
    NextOwnPage(s, page, "Ogg stream is truncated (no end-of-stream page)");
    DrainPackets(s, batch);
  }
}

// Bytes after the end of our stream: junk is dropped, a further logical stream is refused.
void CheckNothingFollows(vcedit_state& s) {
  ogg_page page;
  for (;;) {
    VorbisPageSource::Result result = s.source->Next(page);
    if (result == VorbisPageSource::Result::End) return;
    if (result == VorbisPageSource::Result::Page) {
      if (ogg_page_bos(&page)) Fail("Chained Ogg streams are not supported");
      Fail("Ogg pages follow the end of the stream");
    }
  }
}

void WriteStream(vcedit_state& s, void* out) {
  if (!s.opened) Fail("No stream has been opened");
  if (s.written) Fail("The stream has already been written");
  s.written = true;
  std::vector<ogg_packet> batch;
  DrainPackets(s, batch);
  VorbisStreamWriter writer(s.serial, s.write, out);
  WriteHeaders(s, writer, s.inputEnded && batch.empty());
  CopyAudio(s, writer, batch);
  CheckNothingFollows(s);
}

template <typename Step>
int Guarded(vcedit_state* state, Step step) {
  if (!state) return -1;
  try {
    step(*state);
    state->error.clear();
    return 0;
  } catch (const Failure& failure) {
    state->error = failure.text;
  } catch (const std::bad_alloc&) {
    state->error = "Out of memory";
  } catch (const std::exception& error) {
    state->error = error.what();
  }
  return -1;
}

}  // namespace

extern "C" {

vcedit_state* vcedit_new_state(void) { return new vcedit_state; }

int vcedit_open_callbacks(vcedit_state* state, void* in, vcedit_io_func read, vcedit_io_func write) {
  return Guarded(state, [&](vcedit_state& s) {
    if (s.opened || s.source) Fail("The editor state has already been opened");
    if (!read || !write) Fail("No read or write function given");
    s.write = write;
    s.source = std::make_unique<VorbisPageSource>(read, in);
    ReadHeaders(s);
    s.opened = true;
  });
}

vorbis_comment* vcedit_comments(vcedit_state* state) {
  return state && state->opened ? &state->comments : nullptr;
}

int vcedit_write(vcedit_state* state, void* out) {
  return Guarded(state, [&](vcedit_state& s) { WriteStream(s, out); });
}

const char* vcedit_error(const vcedit_state* state) {
  return state && !state->error.empty() ? state->error.c_str() : nullptr;
}

void vcedit_clear(vcedit_state* state) { delete state; }
}
