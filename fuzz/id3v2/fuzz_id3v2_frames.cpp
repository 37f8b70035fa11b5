// Arbitrary frame contents through the frame parsers of the ID3v2 reader: the first byte picks
// the frame (text, user-defined text, comment, lyrics, unique file id, picture, version 2.2
// picture), the rest is its content. Whatever comes out must be valid UTF-8 and must survive
// being written into a tag and read again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "base/Utf8Repair.h"
#include "tagformats/common/TextEncoding.h"
#include "tagformats/id3v2/ID3v2Builder.h"
#include "tagformats/id3v2/ID3v2FrameCollector.h"
#include "tagformats/id3v2/ID3v2Parser.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool IsUtf8(const std::string& text) { return RepairUtf8(text) == text; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const char* const kFrames[] = {"TIT2", "TPE1", "TCON", "TRCK", "TPOS", "TYER", "TDAT", "TDRC", "TXXX",
                                        "COMM", "USLT", "UFID", "APIC", "PIC",  "TT2",  "TXX",  "TBPM", "TORY"};
  if (size == 0) return 0;
  ID3v2FrameCollector collector;
  // Two frames from one input, so that frames that complete each other (TYER and TDAT) meet.
  const size_t half = (size - 1) / 2;
  collector.Take(kFrames[data[0] % 18], std::vector<uint8_t>(data + 1, data + 1 + half));
  collector.Take(kFrames[(data[0] / 18) % 18], std::vector<uint8_t>(data + 1 + half, data + size));
  const Timerec record = collector.Finish();
  for (const std::string* text : {&record.title, &record.artist, &record.album, &record.year, &record.track,
                                  &record.comment, &record.genre})
    Require(IsUtf8(*text));
  for (const auto& [key, value] : record.extras.fields) Require(IsUtf8(key) && IsUtf8(value) && !value.empty());
  for (const TagPicture& picture : record.extras.pictures) Require(IsUtf8(picture.description) && !picture.data.empty());

  const std::vector<uint8_t> tag = BuildID3v2Tag(record);
  const std::optional<Timerec> again = ParseID3v2Tag(tag.data(), tag.size());
  Require(again.has_value());
  Require(again->extras.pictures.size() == record.extras.pictures.size());
  for (size_t i = 0; i < record.extras.pictures.size(); ++i)
    Require(again->extras.pictures[i].data == record.extras.pictures[i].data);
  return 0;
}
