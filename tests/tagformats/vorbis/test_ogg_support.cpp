#include "test_ogg_support.h"

#include <gtest/gtest.h>

#include <sstream>

#include <ogg/ogg.h>
#include <vorbis/codec.h>

#include "support/TestSupport.h"

using namespace testsupport;

namespace oggtest {

namespace {
uint64_t ReadLittle(const std::vector<uint8_t>& bytes, size_t at, int count) {
  uint64_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[at + static_cast<size_t>(i)];
  return value;
}
}  // namespace

std::vector<OggPage> ListPages(const std::vector<uint8_t>& bytes) {
  std::vector<OggPage> pages;
  size_t at = 0;
  while (at + 27 <= bytes.size() && bytes[at] == 'O' && bytes[at + 1] == 'g' &&
         bytes[at + 2] == 'g' && bytes[at + 3] == 'S') {
    OggPage page;
    page.offset = at;
    uint8_t flags = bytes[at + 5];
    page.continued = flags & 1;
    page.first = flags & 2;
    page.last = flags & 4;
    page.granule = static_cast<int64_t>(ReadLittle(bytes, at + 6, 8));
    page.serial = static_cast<uint32_t>(ReadLittle(bytes, at + 14, 4));
    size_t segments = bytes[at + 26];
    if (at + 27 + segments > bytes.size()) break;
    size_t body = 0;
    for (size_t i = 0; i < segments; ++i) {
      uint8_t lace = bytes[at + 27 + i];
      body += lace;
      if (lace < 255) ++page.packetsFinished;
      page.endsWithPacket = lace < 255;
    }
    page.size = 27 + segments + body;
    if (at + page.size > bytes.size()) break;
    pages.push_back(page);
    at += page.size;
  }
  return pages;
}

std::vector<int64_t> AudioGranules(const std::vector<uint8_t>& bytes) {
  std::vector<int64_t> granules;
  int packets = 0;
  for (const auto& page : ListPages(bytes)) {
    packets += page.packetsFinished;
    if (packets > 3 && page.packetsFinished > 0) granules.push_back(page.granule);
  }
  return granules;
}

std::string MakeVorbis(const std::string& path, double seconds, int channels, int rate) {
  MakeTone(path, seconds, rate, channels, "-c:a libvorbis");
  return path;
}

std::string MakeOggenc(const std::string& path, double seconds) {
  std::string wav = path + ".wav";
  MakeTone(wav, seconds, 22050, 2);
  CommandResult r = Run("oggenc -Q -q 2 -o " + ShellQuote(path) + " " + ShellQuote(wav));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::remove(wav.c_str());
  return path;
}

std::string OggInfoProblems(const std::string& path) {
  CommandResult r = Run("ogginfo " + ShellQuote(path));
  std::istringstream lines(r.output);
  std::string line, problems;
  while (std::getline(lines, line))
    if (line.find("WARNING") != std::string::npos || line.find("ERROR") != std::string::npos)
      problems += line + "\n";
  if (r.exitCode != 0 && problems.empty()) problems = "ogginfo failed: " + r.output;
  return problems;
}

std::string DecodedMd5(const std::string& path) {
  CommandResult r = Run("ffmpeg -nostdin -v error -i " + ShellQuote(path) + " -f s16le - | md5sum");
  EXPECT_EQ(r.exitCode, 0) << r.output;
  return r.output.substr(0, 32);
}

std::vector<std::string> ListComments(const std::string& path) {
  CommandResult r = Run("vorbiscomment -l " + ShellQuote(path));
  EXPECT_EQ(r.exitCode, 0) << r.output;
  std::vector<std::string> comments;
  std::istringstream lines(r.output);
  std::string line;
  while (std::getline(lines, line)) comments.push_back(line);
  return comments;
}

namespace {

struct Packet {
  std::vector<unsigned char> bytes;
  int64_t pageGranule = -1;
};

std::vector<Packet> ReadPackets(const std::vector<uint8_t>& file) {
  std::vector<Packet> packets;
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  char* buffer = ogg_sync_buffer(&sync, static_cast<long>(file.size()));
  std::copy(file.begin(), file.end(), buffer);
  ogg_sync_wrote(&sync, static_cast<long>(file.size()));
  ogg_stream_state stream;
  bool started = false;
  ogg_page page;
  while (ogg_sync_pageout(&sync, &page) == 1) {
    if (!started) ogg_stream_init(&stream, ogg_page_serialno(&page));
    started = true;
    ogg_stream_pagein(&stream, &page);
    ogg_packet packet;
    while (ogg_stream_packetout(&stream, &packet) == 1)
      packets.push_back({{packet.packet, packet.packet + packet.bytes}, packet.granulepos});
  }
  if (started) ogg_stream_clear(&stream);
  ogg_sync_clear(&sync);
  return packets;
}

// Positions as the decoder counts them: samples out after each packet. The last packet keeps
// its page's position, which trims the end.
std::vector<int64_t> DecoderGranules(std::vector<Packet>& packets) {
  vorbis_info info;
  vorbis_comment comment;
  vorbis_info_init(&info);
  vorbis_comment_init(&comment);
  for (int i = 0; i < 3; ++i) {
    ogg_packet header{packets[i].bytes.data(), static_cast<long>(packets[i].bytes.size()), i == 0, 0, 0, i};
    EXPECT_EQ(vorbis_synthesis_headerin(&info, &comment, &header), 0);
  }
  vorbis_dsp_state dsp;
  vorbis_block block;
  vorbis_synthesis_init(&dsp, &info);
  vorbis_block_init(&dsp, &block);
  std::vector<int64_t> granules;
  int64_t samples = 0;
  for (size_t i = 3; i < packets.size(); ++i) {
    ogg_packet audio{packets[i].bytes.data(), static_cast<long>(packets[i].bytes.size()), 0, 0, -1,
                     static_cast<ogg_int64_t>(i)};
    if (vorbis_synthesis(&block, &audio) == 0) vorbis_synthesis_blockin(&dsp, &block);
    float** pcm;
    int got;
    while ((got = vorbis_synthesis_pcmout(&dsp, &pcm)) > 0) {
      samples += got;
      vorbis_synthesis_read(&dsp, got);
    }
    granules.push_back(samples);
  }
  if (!granules.empty()) granules.back() = packets.back().pageGranule;
  vorbis_block_clear(&block);
  vorbis_dsp_clear(&dsp);
  vorbis_comment_clear(&comment);
  vorbis_info_clear(&info);
  return granules;
}

void AppendPage(std::vector<uint8_t>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

}  // namespace

std::vector<int64_t> Repaginate(const std::string& source, const std::string& target, int pageBytes) {
  std::vector<Packet> packets = ReadPackets(ReadFileBytes(source));
  EXPECT_GT(packets.size(), 3u);
  if (packets.size() <= 3) return {};
  std::vector<int64_t> granules = DecoderGranules(packets);

  ogg_stream_state stream;
  ogg_stream_init(&stream, 1234);
  std::vector<uint8_t> out;
  ogg_page page;
  for (size_t i = 0; i < packets.size(); ++i) {
    bool last = i + 1 == packets.size();
    ogg_packet packet{packets[i].bytes.data(), static_cast<long>(packets[i].bytes.size()), i == 0, last,
                      i < 3 ? 0 : granules[i - 3], static_cast<ogg_int64_t>(i)};
    ogg_stream_packetin(&stream, &packet);
    if (i == 0 || i == 2) {
      while (ogg_stream_flush(&stream, &page)) AppendPage(out, page);
    } else {
      while (ogg_stream_pageout_fill(&stream, &page, pageBytes)) AppendPage(out, page);
    }
  }
  while (ogg_stream_flush(&stream, &page)) AppendPage(out, page);
  ogg_stream_clear(&stream);
  WriteFileBytes(target, out);
  return granules;
}

void ExpectPageGranulesMatch(const std::vector<uint8_t>& bytes, const std::vector<int64_t>& packetGranules) {
  size_t finished = 0;
  for (const auto& page : ListPages(bytes)) {
    finished += static_cast<size_t>(page.packetsFinished);
    if (finished <= 3) continue;
    size_t audioIndex = finished - 4;
    ASSERT_LT(audioIndex, packetGranules.size());
    if (page.packetsFinished == 0) {
      EXPECT_EQ(page.granule, -1) << "page at " << page.offset;
    } else {
      EXPECT_EQ(page.granule, packetGranules[audioIndex]) << "page at " << page.offset;
    }
  }
  EXPECT_EQ(finished, packetGranules.size() + 3);
}

}  // namespace oggtest
