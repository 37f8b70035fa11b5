#include "base/AudioFormat.h"

#include <cctype>
#include <cstring>
#include <fstream>

namespace {

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
  std::string ext = path.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

AudioFormat FormatFromPath(const std::string& path) {
  const std::string ext = LowerExtension(path);
  if (ext == ".mp3") return AudioFormat::kMp3;
  if (ext == ".wav") return AudioFormat::kWav;
  if (ext == ".wma") return AudioFormat::kWma;
  if (ext == ".ogg") return AudioFormat::kOgg;
  if (ext == ".flac") return AudioFormat::kFlac;
  if (ext == ".opus") return AudioFormat::kOpus;
  if (ext == ".m4a") return AudioFormat::kM4a;
  return AudioFormat::kOther;
}

AudioFormat FormatFromFirstBytes(const unsigned char* bytes, size_t size) {
  static const unsigned char kAsfHeader[] = {0x30, 0x26, 0xB2, 0x75, 0x8E, 0x66, 0xCF, 0x11};
  auto startsWith = [&](const void* head, size_t length, size_t at = 0) {
    return size >= at + length && std::memcmp(bytes + at, head, length) == 0;
  };
  if (startsWith("RIFF", 4) && startsWith("WAVE", 4, 8)) return AudioFormat::kWav;
  if (startsWith("OggS", 4)) return AudioFormat::kOgg;
  if (startsWith(kAsfHeader, sizeof kAsfHeader)) return AudioFormat::kWma;
  if (startsWith("ID3", 3)) return AudioFormat::kMp3;
  if (size >= 2 && bytes[0] == 0xFF && (bytes[1] & 0xE0) == 0xE0) return AudioFormat::kMp3;
  return AudioFormat::kOther;
}

AudioFormat FormatOfFile(const std::string& path) {
  const AudioFormat byName = FormatFromPath(path);
  if (byName != AudioFormat::kOther) return byName;
  unsigned char head[12] = {};
  std::ifstream file(path, std::ios::binary);
  file.read(reinterpret_cast<char*>(head), sizeof head);
  return FormatFromFirstBytes(head, static_cast<size_t>(file.gcount()));
}

const char* ExtensionOf(AudioFormat format) {
  switch (format) {
    case AudioFormat::kMp3: return ".mp3";
    case AudioFormat::kWav: return ".wav";
    case AudioFormat::kWma: return ".wma";
    case AudioFormat::kOgg: return ".ogg";
    case AudioFormat::kFlac: return ".flac";
    case AudioFormat::kOpus: return ".opus";
    case AudioFormat::kM4a: return ".m4a";
    case AudioFormat::kOther: break;
  }
  return "";
}
