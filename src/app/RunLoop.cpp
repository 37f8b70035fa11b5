#include "app/RunLoop.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <limits>
#include <system_error>

#include "app/FileList.h"
#include "app/LoudnessNormalizePass.h"
#include "app/NormalizeOutputFormat.h"
#include "app/OutputNaming.h"
#include "app/OutputPlacement.h"
#include "app/ReplayGainBook.h"
#include "app/RunHost.h"
#include "app/RunState.h"
#include "app/TagTransfer.h"
#include "tags/AudioFormat.h"
#include "tags/TagTable.h"

namespace {

constexpr int kNormalizeBlockFactor = 3;
constexpr float kNormalizePercent = 98.0f;
constexpr int kAllChannels = -1;

// A link is a taken name even when it dangles: the writer's exclusive create would fail on it.
bool NameTaken(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

bool SourceExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

uint64_t FileBytes(const std::string& path) {
  std::error_code error;
  uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

void Append(ByteBlock& block, const ByteBlock& more) {
  block.insert(block.end(), more.begin(), more.end());
}

}  // namespace

int ProgressPercent(int64_t framesDone, int64_t length) {
  if (length <= 0) return 100;
  int64_t percent = (framesDone * 200 + length) / (2 * length);  // rounds halves upward
  return static_cast<int>(std::clamp<int64_t>(percent, 0, 100));
}

RunLoop::RunLoop(RunState& state, const FileList& rows, const TagTable& tags, RunHost& host,
                 const RunPlan& plan)
    : state_(state), rows_(rows), tags_(tags), host_(host), plan_(plan) {}

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
  if (!SourceExists(source)) {
    host_.ShowInformation(source + " has been removed.");
    return false;
  }
  if (!AcceptChoice(position, ChooseOutputFor(position))) return false;
  host_.RowStateChanged(position, kStateConverting);
  return true;
}

void RunLoop::ConvertStartedFile(size_t position) {
  if (!OpenFiles(position)) return;
  bool stopped = false;
  try {
    stopped = !CopyBlocks();
    // A read error on the way ended the source early; the run converted what was before it.
    if (!endsEarlyTold_ && state_.AudioFileRead.EndsEarly())
      host_.SourceEndsEarly(position, rows_[position].filePath);
    state_.AudioFileRead.Close();
    state_.AudioFilewrite.Close();
  } catch (...) {
    DiscardOutput();
    throw;
  }
  if (stopped) host_.FileStopped(position);
  FinishFile(position, !stopped);
}

OutputChoice RunLoop::ChooseOutputFor(size_t position) const {
  auto taken = [this](const std::string& path) {
    return NameTaken(path) || (heldNames_ && heldNames_(path));
  };
  return ChooseOutput(plan_, rows_[position], tags_.ReadRowRecord(position), taken);
}

bool RunLoop::AcceptChoice(size_t position, const OutputChoice& choice) {
  const std::string& source = rows_[position].filePath;
  switch (choice.action) {
    case OutputChoice::Action::kWrite:
      state_.output_file_name = choice.path;
      replaces_ = choice.replaces;
      return true;
    case OutputChoice::Action::kSkip:
      host_.OutputSkipped(position, choice.reason);
      return false;
    case OutputChoice::Action::kRefuse:
      host_.ShowInformation(source + " was not converted: " + choice.reason);
      return false;
    case OutputChoice::Action::kNoFreeName:
      ReportNoFreeName(source);
      return false;
  }
  return false;
}

void RunLoop::ReportNoFreeName(const std::string& source) {
  host_.ShowInformation(source + " was skipped: its output name and the numbered names (1) to (" +
                        std::to_string(kMaxNameNumber) + ") are all taken in " + plan_.folder);
}

bool RunLoop::OpenFiles(size_t position) {
  const std::string& source = rows_[position].filePath;
  TAudioFile2& reader = state_.AudioFileRead;
  TAudioFile2& writer = state_.AudioFilewrite;
  if (reader.IsOpen()) reader.Close();
  // A normalized file keeps its source's channels and depth, and so does a conversion to
  // FLAC, Opus or M4A; the other conversions need 16-bit stereo at most.
  const ReadFlags shape =
      plan_.kind == RunKind::kNormalize || KeepsSourceShape(plan_.format.formatIndex)
          ? ReadFlags::kSourceShape
          : ReadFlags::kPcm16;
  reader.OpenForRead(source, ReadMode::kWholeSource, shape);
  endsEarlyTold_ = reader.EndsEarly();
  if (endsEarlyTold_) host_.SourceEndsEarly(state_.current_index, source);
  if (!reader.CodecChange().empty())
    host_.SourceChangesCodec(state_.current_index, source, reader.CodecChange());
  if (LoudnessNormalize()) MeasureLoudnessGain(source, shape);
  if (writer.IsOpen()) writer.Close();
  writer.SetSourceFormat(reader.SampleRate(), reader.Channels(), reader.BlockSampleType());
  // The name was free when picked; look again right before the writer creates the file, so an
  // output that appeared meanwhile is never written over.
  if (NameTaken(state_.output_file_name) && !AcceptChoice(position, ChooseOutputFor(position))) {
    reader.Close();
    return false;
  }
  if (plan_.kind == RunKind::kNormalize) SetUpNormalizeWriter(source);
  std::error_code ignored;  // a folder that cannot be made fails the create below, with its reason
  std::filesystem::create_directories(
      std::filesystem::path(state_.output_file_name).parent_path(), ignored);
  writer.MeasureOutputLoudness(plan_.replayGain != nullptr);
  writer.OpenForWrite(state_.output_file_name, WriteMode::kCreateNew);
  host_.OutputCreated(state_.current_index,
                      replaces_.empty() ? state_.output_file_name : replaces_);
  return true;
}

void RunLoop::SetUpNormalizeWriter(const std::string& source) {
  const TAudioFile2& reader = state_.AudioFileRead;
  SourceAudio audio{reader.SampleRate(), reader.Channels(),
                    AverageBitRateKbps(FileBytes(source), reader.DurationMs()), reader.Precision()};
  // A copy, so the conversion run's MP3 values stay as the user set them.
  TAudioFile2LameEnc encoder = state_.AudioFile2LameEnc;
  SetUpNormalizeOutput(FormatFromPath(state_.output_file_name), audio, state_.AudioFilewrite,
                       encoder);
}

bool RunLoop::BlockPeakNormalize() const {
  return plan_.kind == RunKind::kNormalize && plan_.loudness.normalize == NormalizeKind::kBlockPeak;
}

bool RunLoop::LoudnessNormalize() const {
  return plan_.kind == RunKind::kNormalize && plan_.loudness.normalize == NormalizeKind::kLoudness;
}

// The first pass; Stop heard here leaves the writing pass nothing to do.
void RunLoop::MeasureLoudnessGain(const std::string& source, ReadFlags shape) {
  TAudioFile2& reader = state_.AudioFileRead;
  const int64_t length = reader.Length();
  loudnessGain_ = MeasureNormalizeGain(
      reader, source, shape, plan_.loudness.targetLufs, [this, length](int64_t done) {
        host_.Pump();
        host_.Pump();
        host_.SetProgress(MeasuringPercent(ProgressPercent(done, length)));
        return state_.running.load();
      });
}

// The audio of this output is incomplete: it goes, rather than stay as a playable stub.
void RunLoop::DiscardOutput() {
  try {
    state_.AudioFileRead.Close();
    state_.AudioFilewrite.Close();
  } catch (...) {
    // The error that brought us here is the one to report.
  }
  unlink(state_.output_file_name.c_str());
}

// Float samples take twice the bytes of 16-bit ones; block sizes grow with them so that a block
// spans the same time and a normalized file is levelled in the same stretches.
int RunLoop::SampleWidthFactor() const {
  const TAudioFile2& reader = state_.AudioFileRead;
  return std::max(1, reader.FrameSize() / (2 * reader.Channels()));
}

int RunLoop::InitialBlockSize() const {
  const TAudioFile2& reader = state_.AudioFileRead;
  int size = reader.SampleRate() * reader.Channels() * SampleWidthFactor();
  return BlockPeakNormalize() ? size * kNormalizeBlockFactor : size;
}

bool RunLoop::CopyBlocks() {
  TAudioFile2& reader = state_.AudioFileRead;
  TAudioFile2& writer = state_.AudioFilewrite;
  const int frameSize = std::max(1, reader.FrameSize());
  const int initialSize = InitialBlockSize();
  lookahead_.clear();
  int64_t done = 0;
  int64_t bound = 0;
  do {
    host_.Pump();
    host_.Pump();
    if (!state_.running) {
      lookahead_.clear();
      return false;
    }
    ByteBlock block = BlockPeakNormalize()
                          ? ReadNormalizeBlock(NormalizeBlockSize(done, initialSize), initialSize)
                          : reader.ReadBlock(initialSize);
    bound = static_cast<int64_t>(block.size()) - 1;
    if (bound < 0) {
      host_.SetProgress(100);
      break;
    }
    writer.SetSourceFormat(reader.SampleRate(), reader.Channels(), reader.BlockSampleType());
    if (BlockPeakNormalize())
      state_.AudioTransform21.NormalizeBlock(block, kNormalizePercent, kAllChannels,
                                             reader.BlockSampleType());
    if (LoudnessNormalize())
      state_.AudioTransform21.ApplyGain(block, loudnessGain_, reader.BlockSampleType());
    writer.WriteBlock(block);
    done += bound / frameSize;
    const int percent = ProgressPercent(done, reader.Length());
    host_.SetProgress(LoudnessNormalize() ? WritingPercent(percent) : percent);
  } while (bound > 0);
  lookahead_.clear();
  return true;
}

// Near the reported end one block covers what the length says is left. It never shrinks below
// a normal block: the length is only the container's word, and the source may go on past it.
int RunLoop::NormalizeBlockSize(int64_t done, int initialSize) const {
  const TAudioFile2& reader = state_.AudioFileRead;
  int64_t remaining = reader.Length() - done;
  const int64_t sixteenBitSize = initialSize / SampleWidthFactor();
  if (remaining <= 0 || remaining >= sixteenBitSize * kNormalizeBlockFactor)
    return initialSize;
  int64_t bytes = std::max<int64_t>(remaining * reader.FrameSize(), initialSize);
  return static_cast<int>(std::min<int64_t>(bytes, std::numeric_limits<int>::max()));
}

// A block of `size` bytes, joined by whatever short tail follows it, so the end of a source is
// never levelled on its own in a sliver of a few frames.
ByteBlock RunLoop::ReadNormalizeBlock(int size, int initialSize) {
  TAudioFile2& reader = state_.AudioFileRead;
  const size_t frameSize = static_cast<size_t>(std::max(1, reader.FrameSize()));
  const size_t whole = static_cast<size_t>(size) / frameSize * frameSize;
  ByteBlock block = std::move(lookahead_);
  lookahead_.clear();
  if (block.size() < whole) Append(block, reader.ReadBlock(static_cast<int>(whole - block.size())));
  if (block.size() < whole) return block;  // the source ended inside this block
  ByteBlock next = reader.ReadBlock(initialSize);
  if (next.size() < static_cast<size_t>(initialSize) / frameSize * frameSize)
    Append(block, next);
  else
    lookahead_ = std::move(next);
  return block;
}

void RunLoop::FinishFile(size_t position, bool whole) {
  // The normalize run returns the bar to 0 before the tags, the conversion run after them.
  if (plan_.kind == RunKind::kNormalize) host_.SetProgress(0);
  if (!replaces_.empty() && !whole) return DropUnfinishedUpdate(position);
  WriteTagsToOutput(state_.output_file_name, tags_.ReadRowRecord(state_.current_index));
  if (plan_.replayGain)
    plan_.replayGain->TrackDone(position, state_.output_file_name,
                                state_.AudioFilewrite.TakeOutputLoudness());
  if (plan_.kind == RunKind::kConvert) host_.SetProgress(0);
  if (!replaces_.empty()) ReplaceOldOutput();
  host_.RowStateChanged(position, kStateFinish);
}

// Stopped half-way: the old output stays as it was.
void RunLoop::DropUnfinishedUpdate(size_t position) {
  unlink(state_.output_file_name.c_str());
  host_.RowStateChanged(position, kStateUnconverted);
}

void RunLoop::ReplaceOldOutput() {
  const std::string work = state_.output_file_name;
  if (rename(work.c_str(), replaces_.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    unlink(work.c_str());
    throw std::runtime_error("cannot replace " + replaces_ + ": " + reason);
  }
  state_.output_file_name = replaces_;
}
