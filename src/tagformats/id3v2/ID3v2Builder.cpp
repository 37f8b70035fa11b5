#include "tagformats/id3v2/ID3v2Builder.h"

#include <string>

#include "tagformats/id3v2/ID3v2Text.h"

namespace {

constexpr size_t kPaddingSize = 10;

void AppendBigEndian32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out->push_back(static_cast<uint8_t>(value >> shift));
}

void AppendSynchsafe32(std::vector<uint8_t>* out, uint32_t value) {
  for (int shift = 21; shift >= 0; shift -= 7) out->push_back(static_cast<uint8_t>((value >> shift) & 0x7F));
}

void AppendFrame(std::vector<uint8_t>* out, const char* id, const std::vector<uint8_t>& body) {
  out->insert(out->end(), id, id + 4);
  AppendBigEndian32(out, static_cast<uint32_t>(body.size()));
  out->push_back(0);
  out->push_back(0);
  out->insert(out->end(), body.begin(), body.end());
}

std::vector<uint8_t> TextFrameBody(const std::string& text) {
  const EncodedID3v2Text encoded = EncodeID3v2Text(text, kID3v2MaxFrameText);
  std::vector<uint8_t> body{encoded.encoding};
  body.insert(body.end(), encoded.bytes.begin(), encoded.bytes.end());
  return body;
}

// Language "eng", an empty content description, then the comment.
std::vector<uint8_t> CommentFrameBody(const std::string& text) {
  const EncodedID3v2Text encoded = EncodeID3v2Text(text, kID3v2MaxFrameText);
  std::vector<uint8_t> body{encoded.encoding, 'e', 'n', 'g'};
  body.insert(body.end(), ID3v2TerminatorSize(encoded.encoding), 0);
  body.insert(body.end(), encoded.bytes.begin(), encoded.bytes.end());
  return body;
}

}  // namespace

std::vector<uint8_t> BuildID3v2Tag(const Timerec& record) {
  std::vector<uint8_t> frames;
  AppendFrame(&frames, "TIT2", TextFrameBody(record.title));
  AppendFrame(&frames, "TPE1", TextFrameBody(record.artist));
  AppendFrame(&frames, "TALB", TextFrameBody(record.album));
  AppendFrame(&frames, "TRCK", TextFrameBody(record.track));
  AppendFrame(&frames, "TYER", TextFrameBody(record.year));
  AppendFrame(&frames, "TCON", TextFrameBody(record.genre));
  AppendFrame(&frames, "COMM", CommentFrameBody(record.comment));
  frames.insert(frames.end(), kPaddingSize, 0);

  std::vector<uint8_t> tag{'I', 'D', '3', 3, 0, 0};
  AppendSynchsafe32(&tag, static_cast<uint32_t>(frames.size()));
  tag.insert(tag.end(), frames.begin(), frames.end());
  return tag;
}
