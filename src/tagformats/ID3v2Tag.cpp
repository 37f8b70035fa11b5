#include "tagformats/ID3v2Tag.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "tagformats/ID3v2Builder.h"
#include "tagformats/ID3v2FilePrepend.h"
#include "tagformats/ID3v2Parser.h"
#include "tagformats/ID3v2V1Fallback.h"

ID3StructV2 current_id3_tag;

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

std::optional<ID3StructV2> ReadTagsFromFile(const std::string& fileName) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(fileName, error)) return std::nullopt;
  const uint64_t fileSize = std::filesystem::file_size(fileName, error);
  if (error) return std::nullopt;
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return std::nullopt;

  const std::vector<uint8_t> header = ReadAt(in, 0, kID3v2HeaderSize);
  if (const std::optional<size_t> tagLength = ID3v2TagLength(header.data(), header.size())) {
    const size_t readable = static_cast<size_t>(std::min<uint64_t>({*tagLength, fileSize, kMaxTagBytesRead}));
    const std::vector<uint8_t> tag = ReadAt(in, 0, readable);
    return ParseID3v2Tag(tag.data(), tag.size());
  }
  if (fileSize < kID3v1TagSize) return std::nullopt;
  const std::vector<uint8_t> tail = ReadAt(in, fileSize - kID3v1TagSize, kID3v1TagSize);
  return ParseID3v1Tag(tail.data(), tail.size());
}

}  // namespace

void ReadID3Tag(const std::string& fileName) {
  current_id3_tag = ID3StructV2{};
  try {
    if (std::optional<ID3StructV2> tags = ReadTagsFromFile(fileName)) current_id3_tag = std::move(*tags);
  } catch (...) {
    // A file that cannot be read leaves the record empty: listing goes on without its tags.
  }
}

void WriteID3Tag(const std::string& fileName, const ID3StructV2& record) {
  PrependToFile(fileName, BuildID3v2Tag(record));
}
