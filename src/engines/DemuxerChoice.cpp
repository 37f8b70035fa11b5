#include "engines/DemuxerChoice.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <string>

#include "engines/LibraryHandles.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

constexpr size_t kHeadBytes = 16;

struct Head {
  unsigned char bytes[kHeadBytes] = {};
  size_t size = 0;

  bool At(size_t offset, const char* magic) const {
    const size_t n = std::strlen(magic);
    return offset + n <= size && std::memcmp(bytes + offset, magic, n) == 0;
  }
};

Head ReadHead(const std::string& path) {
  Head head;
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (file) head.size = std::fread(head.bytes, 1, kHeadBytes, file.get());
  return head;
}

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

bool Mp3FrameSync(const Head& head) {
  return head.size >= 2 && head.bytes[0] == 0xFF && (head.bytes[1] & 0xE0) == 0xE0;
}

// Signatures that no other format starts with.
const char* DemuxerOfSignature(const Head& h) {
  if (h.At(0, "RIFF") && h.At(8, "WAVE")) return "wav";
  if (h.At(0, "OggS")) return "ogg";
  if (h.At(0, "\x30\x26\xB2\x75\x8E\x66\xCF\x11")) return "asf";
  if (h.At(0, "fLaC")) return "flac";
  if (h.At(0, "FORM") && (h.At(8, "AIFF") || h.At(8, "AIFC"))) return "aiff";
  if (h.At(0, "FRM8") && h.At(12, "DSD ")) return "iff";
  if (h.At(0, "DSD \x1C")) return "dsf";
  if (h.At(0, "tBaK")) return "tak";
  if (h.At(0, "ajkg")) return "shn";
  if (h.At(0, "MAC ")) return "ape";
  if (h.At(0, "wvpk")) return "wv";
  if (h.At(0, "TTA1")) return "tta";
  if (h.At(0, "MPCK")) return "mpc8";
  if (h.At(0, "caff")) return "caf";
  if (h.At(0, ".snd")) return "au";
  if (h.At(0, "\x1A\x45\xDF\xA3")) return "matroska";
  if (h.At(4, "ftyp")) return "mov";
  return nullptr;
}

// Formats whose first bytes say little on their own: an MP3 may start with any frame, a
// module with its title.
const char* DemuxerOfExtension(const std::string& extension, const Head& h) {
  if (extension == ".mp3" && (h.At(0, "ID3") || Mp3FrameSync(h))) return "mp3";
  static const char* const kModules[] = {".mod", ".xm", ".s3m", ".it", ".mptm", ".669",
                                         ".med", ".mtm", ".okt", ".stm", ".ult", ".far"};
  for (const char* module : kModules)
    if (extension == module) return "libopenmpt";
  return nullptr;
}

}  // namespace

const AVInputFormat* NamedDemuxer(const std::string& path) {
  const Head head = ReadHead(path);
  const char* name = DemuxerOfSignature(head);
  if (!name) name = DemuxerOfExtension(LowerExtension(path), head);
  return name ? av_find_input_format(name) : nullptr;
}

const char* AcceptedDemuxers() {
  static const std::string list = [] {
    static const char* const kReadsOtherFiles[] = {
        "concat", "hls", "dash", "imf", "image2", "webm_dash_manifest", "sdp", "rtp", "rtsp"};
    std::string names;
    void* state = nullptr;
    while (const AVInputFormat* demuxer = av_demuxer_iterate(&state)) {
      const bool refused = std::any_of(std::begin(kReadsOtherFiles), std::end(kReadsOtherFiles),
                                       [&](const char* name) { return std::strcmp(demuxer->name, name) == 0; });
      if (!refused) names += (names.empty() ? "" : ",") + std::string(demuxer->name);
    }
    return names;
  }();
  return list.c_str();
}
