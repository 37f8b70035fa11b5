// The command line of velmora-convert.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/LibraryOptions.h"
#include "app/cli/EncoderOptions.h"
#include "app/cli/LoudnessArguments.h"
#include "settings/SettingsKeys.h"

struct CommandLine {
  std::optional<int> formatIndex;  // --format; else the stored "Forint"
  std::optional<std::string> outputFolder;  // --output; else the stored "Dir"
  bool normalize = false;
  LoudnessArguments loudness;  // --normalize=KIND, --replaygain, --loudness
  bool listOnly = false;  // --list: add the files, print their rows, convert nothing
  bool tagsOnly = false;  // --tags: print every tag field of the files, convert nothing
  std::optional<int> jobs;  // --jobs: files converted at once; else every usable processor
  bool dryRun = false;  // --dry-run: say what each source would become, write nothing
  LibraryOptions library;  // --tree / --flat, --name, --existing
  bool help = false;
  bool version = false;
  EncoderOptions encoder;  // --bitrate, --quality, …: this run's encoder settings
  std::vector<std::string> files;
  std::string error;  // set when the arguments cannot be used
};

constexpr int kMaxJobs = settings_keys::kJobs.high;

// Options as getopt_long takes them: "--jobs=4", "--jobs 4", "-j4", "-j 4", options and files
// in any order, "--" before files that start with "-".
CommandLine ParseCommandLine(const std::vector<std::string>& args);
std::string UsageText();
