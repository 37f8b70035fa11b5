// The program-wide state of the converter and the commands that act on it: the file list with
// its tag table, the two kinds of run, and the engine objects they share. The window and the
// command-line converter each own one and drive it the same way; tests make fresh ones.
#pragma once

#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/RunHost.h"
#include "engines/AudioFile2.h"
#include "engines/AudioFile2LameEnc.h"
#include "engines/AudioTransform2.h"
#include "tags/TagTable.h"

class TIniFile;

class ConverterCore {
 public:
  ConverterCore(TIniFile& settings, RunHost& host);
  ConverterCore(const ConverterCore&) = delete;
  ConverterCore& operator=(const ConverterCore&) = delete;

  // --- file list (nothing happens while a run is in progress) ---
  // Adds the chosen files in order; a file that fails is reported as "<path>is not supported."
  // and the others are still added.
  void AddFiles(const std::vector<std::string>& paths);
  void DeleteSelectedFiles();
  // Removes every row after the user agrees; files on disk are never touched.
  void ClearFiles();

  // --- runs ---
  // Converts every listed file into the format with that index (0 MP3, 1 WAV, 2 WMA, 3 OGG).
  void ConvertFiles(int formatIndex);
  // Level-normalises every listed file into "Normalize_<name>".
  void NormalizeFiles();
  // Heard by a run at its next pump: the current file ends with what it has written so far.
  void Stop() { running = false; }
  // Writes the tag record of the row at current_index into output_file_name.
  void WriteOutputTags();

  // The command line's --output: used by the runs in place of the stored "Dir".
  void SetOutputFolderOverride(const std::string& folder) { outputFolderOverride_ = folder; }
  std::string RunOutputFolder() const;  // ends in '/'

  TIniFile& settings_file;
  RunHost& host;

  FileList rows;
  TagTable tag_table;
  TagTable tag_work;  // the tag editor's working copy

  bool running = false;
  size_t current_index = 0;
  std::string output_file_name;

  TAudioFile2 AudioFileRead;
  TAudioFile2 AudioFilewrite;
  TAudioFile2LameEnc AudioFile2LameEnc;
  TAudioTransform2 AudioTransform21;

 private:
  void AddOneFile(const std::string& path);
  void ReadRowTags(size_t row, const std::string& path);
  // Creates the output folder with its parents; false (and the run ended) when it cannot.
  bool MakeOutputFolder(const std::string& folder);

  std::string outputFolderOverride_;
};
