// Helpers for the Ogg Vorbis tests: real files from ffmpeg and oggenc, a plain page walker to
// look at the framing our editor produced, and the independent checks (ogginfo, decodes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace oggtest {

struct OggPage {
  uint32_t serial = 0;
  int64_t granule = 0;
  bool continued = false;
  bool first = false;
  bool last = false;
  int packetsFinished = 0;   // lacing values below 255
  bool endsWithPacket = false;  // last lacing value below 255
  size_t offset = 0;
  size_t size = 0;
};

// Walks the pages of an Ogg file without checking CRCs; stops at the first non-page byte.
std::vector<OggPage> ListPages(const std::vector<uint8_t>& bytes);

// Granule positions of the pages that finish at least one packet after the three headers.
std::vector<int64_t> AudioGranules(const std::vector<uint8_t>& bytes);

// A tone encoded to Ogg Vorbis by ffmpeg's libvorbis (it adds an "encoder=" comment).
std::string MakeVorbis(const std::string& path, double seconds, int channels = 2, int rate = 44100);

// The same through oggenc, which lays out its pages its own way.
std::string MakeOggenc(const std::string& path, double seconds);

// ogginfo's complaints (lines with "WARNING" or "ERROR"), or its failure; empty when clean.
std::string OggInfoProblems(const std::string& path);

// MD5 of the whole decoded audio as 16-bit PCM.
std::string DecodedMd5(const std::string& path);

// Comment lines as `vorbiscomment -l` lists them.
std::vector<std::string> ListComments(const std::string& path);

// Lays the packets of an Ogg Vorbis file out anew on pages of about `pageBytes` (a large value
// fills every page to its 255 segments), each packet with the granule position the decoder
// itself gives it. Returns those positions, one per audio packet, in order.
std::vector<int64_t> Repaginate(const std::string& source, const std::string& target, int pageBytes);

// Granule positions of the output's pages must be those of their last finished packet.
void ExpectPageGranulesMatch(const std::vector<uint8_t>& bytes, const std::vector<int64_t>& packetGranules);

}  // namespace oggtest
