#include "test_ogg_support.h"

#include <gtest/gtest.h>

#include <sstream>

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

}  // namespace oggtest
