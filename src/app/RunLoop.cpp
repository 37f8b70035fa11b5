#include "app/RunLoop.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "app/ConverterCore.h"
#include "app/OutputNaming.h"

namespace {

constexpr int kNormalizeBlockFactor = 3;
constexpr float kNormalizePercent = 98.0f;
constexpr int kAllChannels = -1;

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

}  // namespace

int ProgressPercent(int64_t framesDone, int64_t length) {
  if (length <= 0) return 100;
  int64_t percent = (framesDone * 200 + length) / (2 * length);  // rounds halves upward
  return static_cast<int>(std::clamp<int64_t>(percent, 0, 100));
}

RunLoop::RunLoop(ConverterCore& core, RunKind kind, std::string folder, std::string extension)
    : core_(core), kind_(kind), folder_(std::move(folder)), extension_(std::move(extension)) {}

void RunLoop::Run() {
  const size_t count = core_.rows.size();
  for (size_t position = 0; position < count && core_.running; ++position) {
    core_.host.Pump();
    ProcessPosition(position);
  }
  core_.host.SetProgress(0);
  core_.running = false;
  core_.host.OpenFolder(folder_);
}

void RunLoop::ProcessPosition(size_t position) {
  if (position >= core_.rows.size()) return;
  core_.current_index = position;
  core_.host.SetProgress(0);
  const std::string source = core_.rows[position].filePath;
  if (!PathExists(source)) {
    core_.host.ShowInformation(source + " has been removed.");
    return;
  }
  std::optional<std::string> output = PickOutputName(source);
  if (!output) {
    ReportNoFreeName(source);
    return;
  }
  core_.output_file_name = *output;
  core_.rows.SetState(position, kStateConverting);
  core_.host.RowStateChanged(position);
  if (!OpenFiles(source)) return;
  CopyBlocks();
  FinishFile(position);
}

std::optional<std::string> RunLoop::PickOutputName(const std::string& source) const {
  if (kind_ == RunKind::kNormalize) return NormalizedOutputName(folder_, source, PathExists);
  return ConvertedOutputName(folder_, source, extension_, PathExists);
}

void RunLoop::ReportNoFreeName(const std::string& source) {
  core_.host.ShowInformation(source + " was skipped: its output name and the numbered names (1) to (" +
                             std::to_string(kMaxNameNumber) + ") are all taken in " + folder_);
}

bool RunLoop::OpenFiles(const std::string& source) {
  TAudioFile2& reader = core_.AudioFileRead;
  TAudioFile2& writer = core_.AudioFilewrite;
  if (reader.IsOpen()) reader.Close();
  reader.OpenForRead(source, ReadMode::kWholeSource, ReadFlags::kPcm16);
  if (writer.IsOpen()) writer.Close();
  writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
  // The name was free when picked; look again right before the writer creates the file, so an
  // output that appeared meanwhile is never written over.
  if (PathExists(core_.output_file_name)) {
    std::optional<std::string> output = PickOutputName(source);
    if (!output) {
      reader.Close();
      ReportNoFreeName(source);
      return false;
    }
    core_.output_file_name = *output;
  }
  writer.OpenForWrite(core_.output_file_name, WriteMode::kCreateNew);
  return true;
}

int RunLoop::InitialBlockSize() const {
  const TAudioFile2& reader = core_.AudioFileRead;
  int size = reader.SampleRate() * reader.Channels();
  return kind_ == RunKind::kNormalize ? size * kNormalizeBlockFactor : size;
}

void RunLoop::CopyBlocks() {
  TAudioFile2& reader = core_.AudioFileRead;
  TAudioFile2& writer = core_.AudioFilewrite;
  const int frameSize = std::max(1, reader.FrameSize());
  int blockSize = InitialBlockSize();
  int64_t done = 0;
  int64_t bound = 0;
  do {
    core_.host.Pump();
    core_.host.Pump();
    if (!core_.running) break;
    if (kind_ == RunKind::kNormalize) {
      // Near the end the block covers what is left of the source in one read.
      int64_t remaining = reader.Length() - done;
      if (remaining > 0 && remaining < static_cast<int64_t>(blockSize) * kNormalizeBlockFactor)
        blockSize = static_cast<int>(std::min<int64_t>(remaining * frameSize,
                                                       std::numeric_limits<int>::max()));
    }
    ByteBlock block = reader.ReadBlock(blockSize);
    bound = static_cast<int64_t>(block.size()) - 1;
    if (bound < 0) {
      core_.host.SetProgress(100);
      break;
    }
    writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
    if (kind_ == RunKind::kNormalize)
      core_.AudioTransform21.NormalizeBlock(block, kNormalizePercent, kAllChannels);
    writer.WriteBlock(block);
    done += bound / frameSize;
    core_.host.SetProgress(ProgressPercent(done, reader.Length()));
  } while (bound > 0);
}

void RunLoop::FinishFile(size_t position) {
  core_.AudioFileRead.Close();
  core_.AudioFilewrite.Close();
  // The normalize run returns the bar to 0 before the tags, the conversion run after them.
  if (kind_ == RunKind::kNormalize) core_.host.SetProgress(0);
  core_.WriteOutputTags();
  if (kind_ == RunKind::kConvert) core_.host.SetProgress(0);
  core_.rows.SetState(position, kStateFinish);
  core_.host.RowStateChanged(position);
}
