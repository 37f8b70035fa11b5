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
#include "app/GainTags.h"
#include "app/LoudnessNormalizePass.h"
#include "app/NormalizeOutputFormat.h"
#include "app/OutputNaming.h"
#include "app/OutputPlacement.h"
#include "app/ReplayGainBook.h"
#include "app/RunSettings.h"
#include "app/RunState.h"
#include "app/TagTransfer.h"

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

RunLoop::RunLoop(RunState& state, const FileList& rows, RunEventQueue& events, const RunPlan& plan,
                 std::function<void()> pump)
    : state_(state), rows_(rows), events_(events), plan_(plan), pump_(std::move(pump)) {}

void RunLoop::Run() {
  const size_t count = rows_.size();
  for (size_t position = 0; position < count && state_.running; ++position) {
    if (fileStartPump_) fileStartPump_();
    else pump_();
    ProcessPosition(position);
  }
  EndRun();
}

void RunLoop::EndRun() {
  SetProgress(0);
  state_.running = false;
  Post(RunEvent::Kind::kOpenFolder, plan_.folder);
}

void RunLoop::Post(RunEvent::Kind kind, std::string text, std::string detail) {
  RunEvent event{kind, state_.current_index, 0, std::move(text), std::move(detail)};
  events_.Post(std::move(event));
}

void RunLoop::SetProgress(int percent) {
  if (!perFile_) {
    events_.Post(RunEvent{RunEvent::Kind::kProgress, state_.current_index, percent, {}, {}});
    return;
  }
  // A block moves the bar by a fraction of a percent at most; only changes are worth posting.
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  events_.Post(RunEvent{RunEvent::Kind::kFileProgress, state_.current_index, percent, {}, {}});
}

void RunLoop::ShowNotice(const std::string& text) { Post(RunEvent::Kind::kNotice, text); }

void RunLoop::ProcessPosition(size_t position) {
  if (StartFile(position)) ConvertStartedFile(position);
}

bool RunLoop::StartFile(size_t position) {
  if (position >= rows_.size()) return false;
  state_.current_index = position;
  lastPercent_ = -1;
  SetProgress(0);
  const std::string source = rows_[position].filePath;
  if (!SourceExists(source)) {
    ShowNotice(source + " has been removed.");
    return false;
  }
  if (!AcceptChoice(position, ChooseOutputFor(position))) return false;
  Post(RunEvent::Kind::kRowState, kStateConverting);
  return true;
}

void RunLoop::ConvertStartedFile(size_t position) {
  if (!OpenFiles(position)) return;
  bool stopped = false;
  try {
    stopped = !CopyBlocks();
    // A read error on the way ended the source early; the run converted what was before it.
    if (!endsEarlyTold_ && state_.AudioFileRead.EndsEarly())
      Post(RunEvent::Kind::kSourceEndsEarly, rows_[position].filePath);
    state_.AudioFileRead.Close();
    state_.AudioFilewrite.Close();
  } catch (...) {
    DiscardOutput();
    throw;
  }
  if (stopped) Post(RunEvent::Kind::kFileStopped);
  FinishFile(position, !stopped);
}

OutputChoice RunLoop::ChooseOutputFor(size_t position) const {
  auto taken = [this](const std::string& path) {
    return NameTaken(path) || (heldNames_ && heldNames_(path));
  };
  return ChooseOutput(plan_, rows_[position], rows_[position].tags, taken);
}

bool RunLoop::AcceptChoice(size_t position, const OutputChoice& choice) {
  const std::string& source = rows_[position].filePath;
  switch (choice.action) {
    case OutputChoice::Action::kWrite:
      state_.output_file_name = choice.path;
      replaces_ = choice.replaces;
      return true;
    case OutputChoice::Action::kSkip:
      Post(RunEvent::Kind::kOutputSkipped, choice.reason);
      return false;
    case OutputChoice::Action::kRefuse:
      ShowNotice(source + " was not converted: " + choice.reason);
      return false;
    case OutputChoice::Action::kNoFreeName:
      ReportNoFreeName(source);
      return false;
  }
  return false;
}

// A conversion writes the chosen format; a normalized file keeps its source's where its name
// says that format, and is WAV otherwise.
AudioFormat RunLoop::OutputFormatOf(size_t position) const {
  if (plan_.kind == RunKind::kConvert) return OutputAudioFormat(plan_.format.formatIndex);
  return NormalizedOutputFormat(rows_[position].filePath, rows_[position].format);
}

void RunLoop::ReportNoFreeName(const std::string& source) {
  ShowNotice(source + " was skipped: its output name and the numbered names (1) to (" +
                        std::to_string(kMaxNameNumber) + ") are all taken in " + plan_.folder);
}

bool RunLoop::OpenFiles(size_t position) {
  const std::string& source = rows_[position].filePath;
  const AudioFormat output = OutputFormatOf(position);
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
  if (endsEarlyTold_) Post(RunEvent::Kind::kSourceEndsEarly, source);
  if (!reader.CodecChange().empty())
    Post(RunEvent::Kind::kCodecChange, source, reader.CodecChange());
  if (LoudnessNormalize()) MeasureLoudnessGain(source, shape);
  if (writer.IsOpen()) writer.Close();
  writer.SetSourceFormat(reader.SampleRate(), reader.Channels(), reader.BlockSampleType());
  // The name was free when picked; look again right before the writer creates the file, so an
  // output that appeared meanwhile is never written over.
  if (NameTaken(state_.output_file_name) && !AcceptChoice(position, ChooseOutputFor(position))) {
    reader.Close();
    return false;
  }
  if (plan_.kind == RunKind::kNormalize) SetUpNormalizeWriter(source, output);
  std::error_code ignored;  // a folder that cannot be made fails the create below, with its reason
  std::filesystem::create_directories(
      std::filesystem::path(state_.output_file_name).parent_path(), ignored);
  writer.MeasureOutputLoudness(plan_.replayGain != nullptr);
  writer.OpenForWrite(state_.output_file_name, output, WriteMode::kCreateNew);
  Post(RunEvent::Kind::kOutputCreated, replaces_.empty() ? state_.output_file_name : replaces_);
  return true;
}

void RunLoop::SetUpNormalizeWriter(const std::string& source, AudioFormat output) {
  const TAudioFile2& reader = state_.AudioFileRead;
  SourceAudio audio{reader.SampleRate(), reader.Channels(),
                    AverageBitRateKbps(FileBytes(source), reader.DurationMs()), reader.Precision()};
  // A copy, so the conversion run's MP3 values stay as the user set them.
  TAudioFile2LameEnc encoder = state_.AudioFile2LameEnc;
  SetUpNormalizeOutput(output, audio, state_.AudioFilewrite, encoder);
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
        pump_();
        pump_();
        SetProgress(MeasuringPercent(ProgressPercent(done, length)));
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
    pump_();
    pump_();
    if (!state_.running) {
      lookahead_.clear();
      return false;
    }
    ByteBlock block = BlockPeakNormalize()
                          ? ReadNormalizeBlock(NormalizeBlockSize(done, initialSize), initialSize)
                          : reader.ReadBlock(initialSize);
    bound = static_cast<int64_t>(block.size()) - 1;
    if (bound < 0) {
      SetProgress(100);
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
    SetProgress(LoudnessNormalize() ? WritingPercent(percent) : percent);
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
  if (plan_.kind == RunKind::kNormalize) SetProgress(0);
  if (!replaces_.empty() && !whole) return DropUnfinishedUpdate();
  // Only gain values change the row's record: without them it is written as it stands, and
  // its pictures are not copied.
  const bool recordChanges = plan_.replayGain || LoudnessNormalize();
  TaggedOutput output{state_.output_file_name, OutputFormatOf(position), recordChanges ? OutputRecord(position) : Timerec{}};
  std::unique_ptr<LoudnessMeter> meter = state_.AudioFilewrite.TakeOutputLoudness();
  if (plan_.replayGain) ReplayGainBook::SetTrackValues(output.record, output.format, meter.get());
  WriteTagsToOutput(output.path, output.format, recordChanges ? output.record : rows_[position].tags);
  if (plan_.kind == RunKind::kConvert) SetProgress(0);
  if (!replaces_.empty()) ReplaceOldOutput();
  output.path = state_.output_file_name;
  if (plan_.replayGain) plan_.replayGain->TrackDone(position, std::move(output), std::move(meter));
  Post(RunEvent::Kind::kRowState, kStateFinish);
}

// The row's record; a loudness-normalized output is not described by its source's gain fields.
Timerec RunLoop::OutputRecord(size_t position) const {
  Timerec record = rows_[position].tags;
  if (LoudnessNormalize()) DropGainFields(record.extras);
  return record;
}

// Stopped half-way: the old output stays as it was.
void RunLoop::DropUnfinishedUpdate() {
  unlink(state_.output_file_name.c_str());
  Post(RunEvent::Kind::kRowState, kStateUnconverted);
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
