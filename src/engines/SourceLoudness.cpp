#include "engines/SourceLoudness.h"

std::unique_ptr<LoudnessMeter> MeasureOpenSource(TAudioFile2& reader,
                                                 const MeasureProgress& progress) {
  auto meter = std::make_unique<LoudnessMeter>(reader.SampleRate(), reader.Channels());
  const int frameSize = reader.FrameSize();
  const int blockBytes = reader.SampleRate() * frameSize;  // one second
  int64_t done = 0;
  for (;;) {
    const ByteBlock block = reader.ReadBlock(blockBytes);
    if (block.empty()) break;
    const size_t frames = block.size() / static_cast<size_t>(frameSize);
    meter->Add(block.data(), frames, reader.BlockSampleType());
    done += static_cast<int64_t>(frames);
    if (progress && !progress(done)) break;
  }
  return meter;
}

LoudnessResult MeasureFileLoudness(const std::string& path) {
  TAudioFile2 reader;
  reader.OpenForRead(path, ReadMode::kWholeSource, ReadFlags::kSourceShape);
  return MeasureOpenSource(reader)->Result();
}
