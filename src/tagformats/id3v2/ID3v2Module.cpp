#include "tagformats/id3v2/ID3v2Module.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "tagformats/id3v2/ID3v2Builder.h"
#include "tagformats/id3v2/ID3v2FilePrepend.h"
#include "tagformats/id3v2/ID3v2Parser.h"
#include "tagformats/id3v2/ID3v2V1Fallback.h"

namespace {

// Larger tags are cover art; the text frames come first in every tag seen in practice.
constexpr size_t kMaxTagBytesRead = size_t{64} << 20;

std::vector<uint8_t> ReadAt(std::ifstream& in, uint64_t offset, size_t count) {
  std::vector<uint8_t> bytes(count);
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
  bytes.resize(in ? count : static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  in.clear();
  return bytes;
}

// Fields the ID3v2 tag leaves empty take the ID3v1 value, as common tag readers do.
void FillEmptyFields(Timerec& fields, const Timerec& fallback) {
  for (auto member : {&Timerec::title, &Timerec::artist, &Timerec::year, &Timerec::album,
                      &Timerec::comment, &Timerec::genre, &Timerec::track}) {
    if ((fields.*member).empty()) fields.*member = fallback.*member;
  }
}

}  // namespace

Timerec ID3v2Module::Read(const std::string& path) const {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) throw TagError("Cannot open file " + path);
  const uint64_t fileSize = std::filesystem::file_size(path, error);
  std::ifstream in(path, std::ios::binary);
  if (error || !in) throw TagError("Cannot open file " + path);

  Timerec fields;
  const std::vector<uint8_t> header = ReadAt(in, 0, kID3v2HeaderSize);
  if (const std::optional<size_t> tagLength = ID3v2TagLength(header.data(), header.size())) {
    const size_t readable = static_cast<size_t>(std::min<uint64_t>({*tagLength, fileSize, kMaxTagBytesRead}));
    const std::vector<uint8_t> tag = ReadAt(in, 0, readable);
    if (std::optional<Timerec> parsed = ParseID3v2Tag(tag.data(), tag.size())) fields = std::move(*parsed);
  }
  if (fileSize >= kID3v1TagSize) {
    const std::vector<uint8_t> tail = ReadAt(in, fileSize - kID3v1TagSize, kID3v1TagSize);
    if (std::optional<Timerec> v1 = ParseID3v1Tag(tail.data(), tail.size())) FillEmptyFields(fields, *v1);
  }
  return fields;
}

void ID3v2Module::Write(const std::string& path, const Timerec& record) const {
  PrependToFile(path, BuildID3v2Tag(record));
}
