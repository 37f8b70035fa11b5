#include "app/RunLoop.h"

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "app/FileList.h"
#include "app/OutputNaming.h"
#include "app/RunHost.h"
#include "app/RunState.h"
#include "app/TagTransfer.h"
#include "tags/TagTable.h"

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

RunLoop::RunLoop(RunState& state, const FileList& rows, const TagTable& tags, RunHost& host,
                 const RunPlan& plan)
    : state_(state),
      rows_(rows),
      tags_(tags),
      host_(host),
      plan_(plan),
      nameTaken_(PathExists) {}

void RunLoop::Run() {
  const size_t count = rows_.size();
  for (size_t position = 0; position < count && state_.running; ++position) {
    host_.Pump();
    ProcessPosition(position);
  }
  EndRun();
}

void RunLoop::EndRun() {
  host_.SetProgress(0);
  state_.running = false;
  host_.OpenFolder(plan_.folder);
}

void RunLoop::ProcessPosition(size_t position) {
  if (StartFile(position)) ConvertStartedFile(position);
}

bool RunLoop::StartFile(size_t position) {
  if (position >= rows_.size()) return false;
  state_.current_index = position;
  host_.SetProgress(0);
  const std::string source = rows_[position].filePath;
  if (!PathExists(source)) {
    host_.ShowInformation(source + " has been removed.");
    return false;
  }
  std::optional<std::string> output = PickOutputName(source);
  if (!output) {
    ReportNoFreeName(source);
    return false;
  }
  state_.output_file_name = *output;
  host_.RowStateChanged(position, kStateConverting);
  return true;
}

void RunLoop::ConvertStartedFile(size_t position) {
  if (!OpenFiles(rows_[position].filePath)) return;
  CopyBlocks();
  FinishFile(position);
}

std::optional<std::string> RunLoop::PickOutputName(const std::string& source) const {
  if (plan_.kind == RunKind::kNormalize) return NormalizedOutputName(plan_.folder, source, nameTaken_);
  return ConvertedOutputName(plan_.folder, source, OutputExtension(plan_.format.formatIndex),
                             nameTaken_);
}

void RunLoop::ReportNoFreeName(const std::string& source) {
  host_.ShowInformation(source + " was skipped: its output name and the numbered names (1) to (" +
                             std::to_string(kMaxNameNumber) + ") are all taken in " + plan_.folder);
}

bool RunLoop::OpenFiles(const std::string& source) {
  TAudioFile2& reader = state_.AudioFileRead;
  TAudioFile2& writer = state_.AudioFilewrite;
  if (reader.IsOpen()) reader.Close();
  reader.OpenForRead(source, 0, 1);
  if (writer.IsOpen()) writer.Close();
  writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
  // The name was free when picked; look again right before the writer creates the file, so an
  // output that appeared meanwhile is never written over.
  if (PathExists(state_.output_file_name)) {
    std::optional<std::string> output = PickOutputName(source);
    if (!output) {
      reader.Close();
      ReportNoFreeName(source);
      return false;
    }
    state_.output_file_name = *output;
  }
  writer.OpenForWrite(state_.output_file_name, 0);
  host_.OutputCreated(state_.current_index, state_.output_file_name);
  return true;
}

int RunLoop::InitialBlockSize() const {
  const TAudioFile2& reader = state_.AudioFileRead;
  int size = reader.SampleRate() * reader.Channels();
  return plan_.kind == RunKind::kNormalize ? size * kNormalizeBlockFactor : size;
}

void RunLoop::CopyBlocks() {
  TAudioFile2& reader = state_.AudioFileRead;
  TAudioFile2& writer = state_.AudioFilewrite;
  const int frameSize = std::max(1, reader.FrameSize());
  int blockSize = InitialBlockSize();
  int64_t done = 0;
  int64_t bound = 0;
  do {
    host_.Pump();
    host_.Pump();
    if (!state_.running) break;
    if (plan_.kind == RunKind::kNormalize) {
      // Near the end the block covers what is left of the source in one read.
      int64_t remaining = reader.Length() - done;
      if (remaining > 0 && remaining < static_cast<int64_t>(blockSize) * kNormalizeBlockFactor)
        blockSize = static_cast<int>(std::min<int64_t>(remaining * frameSize,
                                                       std::numeric_limits<int>::max()));
    }
    ByteBlock block = reader.ReadBlock(blockSize);
    bound = static_cast<int64_t>(block.size()) - 1;
    if (bound < 0) {
      host_.SetProgress(100);
      break;
    }
    writer.SetSourceFormat(reader.SampleRate(), reader.Channels());
    if (plan_.kind == RunKind::kNormalize)
      state_.AudioTransform21.NormalizeBlock(block, kNormalizePercent, kAllChannels);
    writer.WriteBlock(block);
    done += bound / frameSize;
    host_.SetProgress(ProgressPercent(done, reader.Length()));
  } while (bound > 0);
}

void RunLoop::FinishFile(size_t position) {
  state_.AudioFileRead.Close();
  state_.AudioFilewrite.Close();
  // The normalize run returns the bar to 0 before the tags, the conversion run after them.
  if (plan_.kind == RunKind::kNormalize) host_.SetProgress(0);
  WriteTagsToOutput(state_.output_file_name, tags_.ReadRowRecord(state_.current_index));
  if (plan_.kind == RunKind::kConvert) host_.SetProgress(0);
  host_.RowStateChanged(position, kStateFinish);
}
