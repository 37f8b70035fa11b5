#include "tagformats/id3v2/ID3v2Builder.h"

#include <algorithm>
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
  const std::vector<uint8_t> description = EmptyID3v2String(encoded.encoding);
  body.insert(body.end(), description.begin(), description.end());
  body.insert(body.end(), encoded.bytes.begin(), encoded.bytes.end());
  return body;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string YearFrameText(const std::string& year) {
  const size_t begin = year.find_first_not_of(" \t");
  if (begin == std::string::npos) return std::string();
  const std::string trimmed = year.substr(begin, year.find_last_not_of(" \t") + 1 - begin);
  const bool leadingYear = trimmed.size() >= 4 && std::all_of(trimmed.begin(), trimmed.begin() + 4, IsDigit) &&
                           (trimmed.size() == 4 || !IsDigit(trimmed[4]));
  return leadingYear ? trimmed.substr(0, 4) : trimmed;
}

std::vector<uint8_t> BuildID3v2Tag(const Timerec& record) {
  std::vector<uint8_t> frames;
  AppendFrame(&frames, "TIT2", TextFrameBody(record.title));
  AppendFrame(&frames, "TPE1", TextFrameBody(record.artist));
  AppendFrame(&frames, "TALB", TextFrameBody(record.album));
  AppendFrame(&frames, "TRCK", TextFrameBody(record.track));
  AppendFrame(&frames, "TYER", TextFrameBody(YearFrameText(record.year)));
  AppendFrame(&frames, "TCON", TextFrameBody(record.genre));
  AppendFrame(&frames, "COMM", CommentFrameBody(record.comment));
  frames.insert(frames.end(), kPaddingSize, 0);

  std::vector<uint8_t> tag{'I', 'D', '3', 3, 0, 0};
  AppendSynchsafe32(&tag, static_cast<uint32_t>(frames.size()));
  tag.insert(tag.end(), frames.begin(), frames.end());
  return tag;
}
