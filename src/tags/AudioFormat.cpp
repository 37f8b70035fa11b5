#include "tags/AudioFormat.h"

#include <cctype>

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
