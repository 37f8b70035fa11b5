// The part both kinds of run share: every listed file in turn, decoded block by block and
// written into the output folder, then its tags, then the end of the run.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "app/ExistingOutputPolicy.h"
#include "app/OutputNaming.h"
#include "app/RunEventQueue.h"
#include "app/RunPlan.h"
#include "engines/AudioFile2.h"
#include "base/AudioFormat.h"
#include "tags/Timerec.h"

class FileList;
class RunEventQueue;
struct RunState;

class RunLoop {
 public:
  // The list is only read; what happens is posted to `events`, and `pump` is called where the
  // run lets user commands through (twice per block). The writer of a conversion is already
  // set up for the plan's format.
  RunLoop(RunState& state, const FileList& rows, RunEventQueue& events, const RunPlan& plan,
          std::function<void()> pump);
  // Processes the files while `running` holds, then ends the run. Engine and tag errors pass
  // to the caller.
  void Run();
  // One listed file, start to finish: output name, audio, tags, state.
  void ProcessPosition(size_t position);
  // ProcessPosition in two halves, for runs that start files in list order but convert them
  // side by side: StartFile decides the output name and marks the row; false when the file is
  // not converted (missing source, no free name). ConvertStartedFile does the rest.
  bool StartFile(size_t position);
  void ConvertStartedFile(size_t position);

  // Names taken besides those on disk: outputs that runs beside this one have picked but may
  // not have created yet.
  void SetHeldNames(FileExistsFn held) { heldNames_ = std::move(held); }
  // Each file's progress goes out as that row's, and only when it changes, instead of as the
  // run's one bar.
  void ReportPerFile() { perFile_ = true; }
  // Run calls this at each file's start in place of the pump: a run off the driving thread
  // waits there for one pump of that thread, so what the user did before a file starts is
  // heard before it starts.
  void SetFileStartPump(std::function<void()> pump) { fileStartPump_ = std::move(pump); }
  // Progress 0, `running` cleared, the folder opened.
  void EndRun();

 private:
  OutputChoice ChooseOutputFor(size_t position) const;
  // Takes the choice as the current output; false (and said why) when nothing is written.
  bool AcceptChoice(size_t position, const OutputChoice& choice);
  AudioFormat OutputFormatOf(size_t position) const;
  void Post(RunEvent::Kind kind, std::string text = std::string(),
            std::string detail = std::string());
  void SetProgress(int percent);
  // Opens source and output; false when no output is written after all.
  bool OpenFiles(size_t position);
  void SetUpNormalizeWriter(const std::string& source, AudioFormat output);
  void DiscardOutput();
  // False when Stop ended the copy before the source's end.
  bool CopyBlocks();
  bool BlockPeakNormalize() const;
  bool LoudnessNormalize() const;
  void MeasureLoudnessGain(const std::string& source, ReadFlags shape);
  int SampleWidthFactor() const;
  int InitialBlockSize() const;
  int NormalizeBlockSize(int64_t done, int initialSize) const;
  ByteBlock ReadNormalizeBlock(int size, int initialSize);
  void FinishFile(size_t position, bool whole);
  Timerec OutputRecord(size_t position) const;
  // An update's new output replaces the old one only when it is whole.
  void DropUnfinishedUpdate();
  void ReplaceOldOutput();
  void ReportNoFreeName(const std::string& source);
  void ShowNotice(const std::string& text);

  RunState& state_;
  const FileList& rows_;
  RunEventQueue& events_;
  const RunPlan& plan_;
  std::function<void()> pump_;
  std::function<void()> fileStartPump_;
  FileExistsFn heldNames_;
  bool perFile_ = false;
  int lastPercent_ = -1;
  std::string replaces_;  // the existing output an update's new one replaces
  ByteBlock lookahead_;  // read ahead of the current normalize block
  bool endsEarlyTold_ = false;  // the host has heard that the current source ends early
  double loudnessGain_ = 1.0;  // a loudness normalize's gain for the current file
};

// done × 100 / length to the nearest integer (halves upward), at most 100; 100 for length 0.
int ProgressPercent(int64_t framesDone, int64_t length);
