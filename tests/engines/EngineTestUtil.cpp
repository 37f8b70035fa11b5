#include "EngineTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "support/TestSupport.h"

namespace enginetest {

ReadResult ReadAll(const std::string& path, int blockBytes, bool keepSamples) {
  TAudioFile2 reader;
  reader.SetOption(EngineOption::kDefaults);
  reader.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kPcm16);
  ReadResult r;
  r.sampleRate = reader.SampleRate();
  r.channels = reader.Channels();
  r.frameSize = reader.FrameSize();
  r.length = reader.Length();
  r.durationMs = reader.DurationMs();
  if (blockBytes <= 0) blockBytes = r.sampleRate * r.channels;
  for (;;) {
    ByteBlock block = reader.ReadBlock(blockBytes);
    if (block.empty()) break;
    EXPECT_LE(static_cast<int>(block.size()), blockBytes);
    EXPECT_EQ(block.size() % r.frameSize, 0u);
    const size_t count = block.size() / 2;
    for (size_t i = 0; i < count; ++i) {
      const int16_t s = static_cast<int16_t>(block[2 * i] | (block[2 * i + 1] << 8));
      r.peak = std::max(r.peak, std::abs(int{s}));
      if (keepSamples) r.samples.push_back(s);
    }
    r.decodedFrames += static_cast<int64_t>(block.size()) / r.frameSize;
  }
  EXPECT_TRUE(reader.ReadBlock(blockBytes).empty()) << "the end stays the end";
  reader.Close();
  EXPECT_FALSE(reader.IsOpen());
  return r;
}

void Convert(const std::string& source, const std::string& output,
             const std::function<void(TAudioFile2& writer)>& configure, WriteMode mode) {
  TAudioFile2 reader;
  TAudioFile2 writer;
  reader.OpenForRead(source, ReadMode::kWholeSource, ReadFlags::kPcm16);
  if (configure) configure(writer);
  writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
  writer.OpenForWrite(output, mode);
  ASSERT_TRUE(writer.IsOpen());
  const int blockBytes = reader.SampleRate() * reader.Channels();
  for (;;) {
    ByteBlock block = reader.ReadBlock(blockBytes);
    if (block.empty()) break;
    writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
    writer.WriteBlock(block);
  }
  reader.Close();
  writer.Close();
}

bool HasFfmpegEncoder(const std::string& name) {
  auto listing = testsupport::Run("ffmpeg -hide_banner -encoders");
  std::istringstream lines(listing.output);
  std::string flags, encoder;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    if (fields >> flags >> encoder && encoder == name) return true;
  }
  return false;
}

}  // namespace enginetest
