// The packets of one logical stream of an Ogg file, read piece by piece from its pages, so
// that a packet of any size (a comment header with a large picture) costs no more memory than
// one page. Pages of the other streams of a multiplexed file are passed over.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

#include <ogg/ogg.h>

#include "tagformats/vorbis/VorbisCommentEditor.h"
#include "tagformats/vorbis/VorbisPageSource.h"

// Asked with the first page of each stream, in file order, until it answers true.
using OggStreamChoice = std::function<bool(const ogg_page& firstPage)>;

class VorbisPacketStream {
 public:
  // Follows the first stream `choose` accepts. Throws VorbisStreamError when the input does
  // not start with the first page of a stream.
  VorbisPacketStream(VorbisByteReader read, const OggStreamChoice& choose);

  // False when no stream was accepted; the stream then has no packets to read.
  bool found() const { return found_; }

  // Copies up to `size` bytes of the current packet; fewer (down to 0) once the packet ends.
  // Throws VorbisStreamError when the input ends or breaks inside the packet.
  size_t Read(uint8_t* out, size_t size);
  // Passes over up to `size` bytes of the current packet; returns how many.
  size_t Skip(size_t size);
  // Passes over what is left of the current packet and starts the next one.
  void NextPacket();

 private:
  size_t Take(uint8_t* out, size_t size);
  void NextPage();

  VorbisPageSource source_;
  ogg_page page_{};
  int serial_ = 0;
  int segment_ = 0;         // current lacing value of page_
  long segmentStart_ = 0;   // its first byte in the page body
  long taken_ = 0;          // bytes of it already taken
  bool packetEnded_ = false;
  bool found_ = false;
};
