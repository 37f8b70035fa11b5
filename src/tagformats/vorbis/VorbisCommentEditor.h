// Ogg Vorbis comment editor: reads the three Vorbis header packets of a stream, exposes the
// comment block, and writes the whole stream back with a new comment packet while every audio
// packet keeps its granule position.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include <ogg/ogg.h>
#include <vorbis/codec.h>

// Fills up to `size` bytes of `buffer`; returns how many, 0 at the end of the input or on an
// error.
using VorbisByteReader = std::function<size_t(void* buffer, size_t size)>;
// Writes all `size` bytes; false when they could not all be written.
using VorbisByteWriter = std::function<bool(const void* data, size_t size)>;

// Why a stream could not be read or written.
class VorbisStreamError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class VorbisPageSource;

class VorbisCommentEditor {
 public:
  // Reads the header packets through `read`, which is kept for Write. Throws
  // VorbisStreamError when the input does not start with one Ogg Vorbis stream.
  explicit VorbisCommentEditor(VorbisByteReader read);
  ~VorbisCommentEditor();
  VorbisCommentEditor(const VorbisCommentEditor&) = delete;
  VorbisCommentEditor& operator=(const VorbisCommentEditor&) = delete;

  // The stream's comment block, libvorbis's own structure; change it before Write.
  vorbis_comment& comments() { return comments_; }

  // Writes the whole stream with the current comment block; once only, as it consumes the
  // input. Throws VorbisStreamError.
  void Write(const VorbisByteWriter& write);

 private:
  struct PacketCopy {
    std::vector<unsigned char> bytes;
    void Keep(const ogg_packet& packet) { bytes.assign(packet.packet, packet.packet + packet.bytes); }
    ogg_packet AsPacket();
  };
  void ReadFirstPage();
  void ReadHeaders();
  void TakeHeader(ogg_packet& packet, int index);
  void NextOwnPage(ogg_page& page, const char* truncatedText);
  void DrainPackets(std::vector<ogg_packet>& batch);
  void CheckNothingFollows();

  std::unique_ptr<VorbisPageSource> source_;
  ogg_stream_state stream_{};
  bool streamOpen_ = false;
  int serial_ = 0;
  bool inputEnded_ = false;  // the end-of-stream page has been taken in
  vorbis_info info_;
  vorbis_comment comments_;
  PacketCopy identification_;
  PacketCopy setup_;
  bool written_ = false;
};
