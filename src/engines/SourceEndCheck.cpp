#include "engines/SourceEndCheck.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "engines/LengthCorrection.h"
#include "engines/LibraryHandles.h"

namespace {

constexpr uint8_t kAsfHeaderGuid[16] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11,
                                        0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C};
constexpr uint8_t kAsfFilePropertiesGuid[16] = {0xA1, 0xDC, 0xAB, 0x8C, 0x47, 0xA9, 0xCF, 0x11,
                                                0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65};
constexpr size_t kAsfHeaderObjectBytes = 30;  // GUID, size, object count, two reserved bytes
constexpr int kMaxAsfHeaderObjects = 64;

uint64_t Le64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

int64_t FileSize(std::FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  return std::ftell(file);
}

bool ReadAt(std::FILE* file, int64_t offset, uint8_t* out, size_t count) {
  return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(out, 1, count, file) == count;
}

}  // namespace

bool Mp3EndsEarly(const std::string& path) {
  const Mp3InfoCounts counts = ReadMp3InfoCounts(path);
  if (!counts.hasBytes || counts.bytes == 0) return false;
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  return FileSize(file.get()) - counts.streamStart < static_cast<int64_t>(counts.bytes);
}

bool AsfEndsEarly(const std::string& path) {
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return false;
  const int64_t size = FileSize(file.get());
  uint8_t head[kAsfHeaderObjectBytes];
  if (!ReadAt(file.get(), 0, head, sizeof head) || std::memcmp(head, kAsfHeaderGuid, 16) != 0)
    return false;
  int64_t pos = kAsfHeaderObjectBytes;
  for (int i = 0; i < kMaxAsfHeaderObjects; ++i) {
    uint8_t object[48];  // GUID, size, and for file properties the file id and file size
    if (!ReadAt(file.get(), pos, object, sizeof object)) return false;
    const uint64_t objectSize = Le64(object + 16);
    if (std::memcmp(object, kAsfFilePropertiesGuid, 16) == 0) {
      const uint64_t declared = Le64(object + 40);
      return declared > 0 && size >= 0 && declared > static_cast<uint64_t>(size);
    }
    if (objectSize < 24) return false;
    pos += static_cast<int64_t>(objectSize);
  }
  return false;
}
