// A listed file's format: its extension in any letter case, else what its first bytes say.
#include <gtest/gtest.h>

#include <string>

#include "support/TestSupport.h"
#include "base/AudioFormat.h"

TEST(AudioFormat, FirstBytesNameTheFourFormats) {
  struct Case {
    std::string head;
    AudioFormat format;
  };
  const Case cases[] = {
      {std::string("RIFF\x24\0\0\0WAVE", 12), AudioFormat::kWav},
      {"OggS\0\x02", AudioFormat::kOgg},
      {std::string("\x30\x26\xB2\x75\x8E\x66\xCF\x11", 8), AudioFormat::kWma},
      {"ID3\x03", AudioFormat::kMp3},
      {"\xFF\xFB\x90", AudioFormat::kMp3},
      {"RIFF\x24\0\0\0AVI ", AudioFormat::kOther},
      {"fLaC", AudioFormat::kOther},
      {"", AudioFormat::kOther},
  };
  for (const Case& c : cases) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.head.data());
    EXPECT_EQ(FormatFromFirstBytes(bytes, c.head.size()), c.format) << c.head;
  }
}

TEST(AudioFormat, TheExtensionDecidesAndTheBytesOnlyWithoutOne) {
  testsupport::TempDir dir;
  const std::string wavBytes("RIFF\x24\0\0\0WAVE", 12);
  for (const char* name : {"a.MP3", "noext", "take.v2"})
    testsupport::WriteFileText(dir.file(name), wavBytes);
  EXPECT_EQ(FormatOfFile(dir.file("a.MP3")), AudioFormat::kMp3);
  EXPECT_EQ(FormatOfFile(dir.file("noext")), AudioFormat::kWav);
  EXPECT_EQ(FormatOfFile(dir.file("take.v2")), AudioFormat::kWav);
  EXPECT_EQ(FormatOfFile(dir.file("missing.ogg")), AudioFormat::kOgg);
  EXPECT_EQ(FormatOfFile(dir.file("missing")), AudioFormat::kOther);
}
