#include "tagformats/wma/AsfTagWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

namespace {

constexpr size_t kCopyBlockSize = 1 << 20;
constexpr uint64_t kMaxHeaderSize = uint64_t{1} << 30;  // beyond what a header can sensibly hold

size_t DescriptionIndex(WmaAttribute attribute) {
  switch (attribute) {
    case WmaAttribute::Title: return 0;
    case WmaAttribute::Author: return 1;
    case WmaAttribute::Copyright: return 2;
    case WmaAttribute::Description: return 3;
    default: return 4;  // rating
  }
}

bool ReadAll(int fd, uint8_t* data, size_t size, uint64_t at) { return ReadAt(fd, data, size, at) == size; }

// Moves `length` bytes at `from` to `to` within the file, in blocks taken from the end when
// moving towards the end, so that no block is overwritten before it is read.
bool MoveBytes(int fd, uint64_t from, uint64_t to, uint64_t length) {
  if (from == to || length == 0) return true;
  std::vector<uint8_t> block(static_cast<size_t>(std::min<uint64_t>(length, kCopyBlockSize)));
  for (uint64_t done = 0; done < length;) {
    const size_t n = static_cast<size_t>(std::min<uint64_t>(block.size(), length - done));
    const uint64_t offset = to > from ? length - done - n : done;
    if (!ReadAll(fd, block.data(), n, from + offset) || !WriteAt(fd, block.data(), n, to + offset)) return false;
    done += n;
  }
  return true;
}

}  // namespace

std::unique_ptr<AsfTagWriter> AsfTagWriter::Open(const std::string& fileName) {
  FileDescriptor file(::open(fileName.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat info {};
  if (!file.valid() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
  const uint64_t fileSize = static_cast<uint64_t>(info.st_size);
  uint8_t prefix[24];
  if (fileSize < sizeof prefix || !ReadAll(file.get(), prefix, sizeof prefix, 0)) return nullptr;
  uint64_t headerSize = 0;
  for (int i = 23; i >= 16; --i) headerSize = (headerSize << 8) | prefix[i];
  if (headerSize > fileSize || headerSize > kMaxHeaderSize || headerSize < sizeof prefix) return nullptr;
  std::vector<uint8_t> bytes(static_cast<size_t>(headerSize));
  if (!ReadAll(file.get(), bytes.data(), bytes.size(), 0)) return nullptr;
  std::optional<AsfHeaderModel> header = AsfHeaderModel::Parse(bytes.data(), bytes.size());
  if (!header) return nullptr;
  return std::unique_ptr<AsfTagWriter>(new AsfTagWriter(std::move(file), std::move(*header), headerSize, fileSize));
}

AsfTagWriter::AsfTagWriter(FileDescriptor file, AsfHeaderModel header, uint64_t headerSize, uint64_t fileSize)
    : file_(std::move(file)), header_(std::move(header)), headerSize_(headerSize), fileSize_(fileSize) {
  for (const auto& [name, values] : header_.attributes) NoteHeldName(name);
}

bool AsfTagWriter::SetText(WmaAttribute attribute, const std::string& utf8) {
  if (IsWmaStreamProperty(attribute)) return false;
  if (IsWmaContentDescription(attribute)) {
    // The description object keeps 16-bit lengths: a longer text goes whole into an attribute
    // of the same name, where readers look when the description is empty.
    AsfValue value = AsfValue::Text(utf8);
    const bool fits = value.bytes.size() + 2 <= 0xFFFF;
    header_.description[DescriptionIndex(attribute)] = fits ? std::move(value.bytes) : std::vector<uint8_t>();
    header_.descriptionLeftOut[DescriptionIndex(attribute)] = !fits;
    header_.attributes.erase(WmaAttributeName(attribute));  // an extended copy would contradict the new text
    if (!fits) header_.attributes[WmaAttributeName(attribute)] = {std::move(value)};
  } else {
    header_.attributes[WmaAttributeName(attribute)] = {AsfValue::Text(utf8)};
  }
  TakeOverHeldValues(WmaAttributeName(attribute));
  modified_ = true;
  return true;
}

bool AsfTagWriter::SetNumber(WmaAttribute attribute, uint32_t value) {
  if (IsWmaStreamProperty(attribute) || IsWmaContentDescription(attribute)) return false;
  header_.attributes[WmaAttributeName(attribute)] = {AsfValue::Dword(value)};
  TakeOverHeldValues(WmaAttributeName(attribute));
  modified_ = true;
  return true;
}

void AsfTagWriter::Remove(WmaAttribute attribute) {
  if (IsWmaStreamProperty(attribute)) return;
  if (IsWmaContentDescription(attribute)) {
    header_.description[DescriptionIndex(attribute)].clear();
    header_.descriptionLeftOut[DescriptionIndex(attribute)] = false;
  }
  header_.attributes.erase(WmaAttributeName(attribute));
  TakeOverHeldValues(WmaAttributeName(attribute));
  modified_ = true;
}

std::vector<AsfValue>& AsfTagWriter::ValuesToAddTo(const std::string& name) {
  std::vector<AsfValue>& values = header_.attributes[name];
  if (TakeOverHeldValues(name)) values.clear();
  modified_ = true;
  return values;
}

void AsfTagWriter::AddText(const std::string& name, const std::string& utf8) {
  ValuesToAddTo(name).push_back(AsfValue::Text(utf8));
}

void AsfTagWriter::AddPicture(const TagPicture& picture) {
  ValuesToAddTo("WM/Picture").push_back(AsfValue::Picture(picture));
}

bool AsfTagWriter::Close() {
  if (!modified_) return true;
  modified_ = false;
  const AsfRenderedHeader header = header_.Render();
  if (header.bytes.empty()) return false;
  const uint64_t newSize = header.size();
  const uint64_t rest = fileSize_ - headerSize_;
  if (newSize > headerSize_ && rest <= kContentWrittenAlong) {
    if (!header.WriteFollowedByContent(file_.get(), 0, copier_, file_.get(), headerSize_, rest)) return false;
  } else {
    if (!MoveBytes(file_.get(), headerSize_, newSize, rest)) return false;
    if (newSize < headerSize_ && ::ftruncate(file_.get(), static_cast<off_t>(newSize + rest)) != 0) return false;
    if (!header.WriteAt(file_.get(), 0, copier_)) return false;
  }
  headerSize_ = newSize;
  fileSize_ = headerSize_ + rest;
  return file_.Close();
}
