// The part both kinds of run share: every listed file in turn, decoded block by block and
// written into the output folder, then its tags, then the end of the run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class ConverterCore;

enum class RunKind { kConvert, kNormalize };

class RunLoop {
 public:
  // `folder` exists and ends in '/'; `extension` is the conversion's output extension.
  RunLoop(ConverterCore& core, RunKind kind, std::string folder, std::string extension);
  // Processes the files while `running` holds, then ends the run: progress 0, `running`
  // cleared, the folder opened. Engine and tag errors pass to the caller.
  void Run();

 private:
  void ProcessPosition(size_t position);
  std::optional<std::string> PickOutputName(const std::string& source) const;
  // Opens source and output; false when no free output name is left.
  bool OpenFiles(const std::string& source);
  void CopyBlocks();
  void FinishFile(size_t position);
  int InitialBlockSize() const;
  void ReportProgress(int64_t framesDone);
  void ReportNoFreeName(const std::string& source);

  ConverterCore& core_;
  RunKind kind_;
  std::string folder_;
  std::string extension_;
};

// done × 100 / length to the nearest integer (halves upward), at most 100; 100 for length 0.
int ProgressPercent(int64_t framesDone, int64_t length);
